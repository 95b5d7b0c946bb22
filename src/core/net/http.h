#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <functional>

// The outcome of one request: the HTTP status (0 when none arrived) and the body.
struct HttpReply {
    int status = 0;
    QByteArray body;
    // Without a status: what kept it from coming, in words ("нет связи с api.twitch.tv").
    QString failure;

    // What went wrong, for a line the streamer reads: the status, or the failure.
    QString problem() const;
};

// Asynchronous requests whose handler runs once, on completion, on the calling thread.
class Http : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const HttpReply &)>;

    // Replies beyond this size are cut off and reported without a status.
    static constexpr qint64 kMaxBody = 32 * 1024 * 1024;

    explicit Http(QObject *parent = nullptr);

    using Headers = QList<QPair<QByteArray, QByteArray>>;

    void get(const QUrl &url, Handler handler, const Headers &headers = {});
    void postForm(const QUrl &url, const QByteArray &body, Handler handler);
    void postJson(const QUrl &url, const QByteArray &body, Handler handler,
                  const Headers &headers = {});
    // Requests whose handler has not run yet.
    int inFlight() const { return m_inFlight; }

signals:
    // A reply's handler has run: what it did is done.
    void handled();

private:
    void watch(QNetworkReply *reply, Handler handler);

    QNetworkAccessManager m_manager;
    int m_inFlight = 0;
};
