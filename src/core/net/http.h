#pragma once

#include "common/scheduler.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

// The outcome of one request: the HTTP status (0 when none arrived) and the body.
struct HttpReply {
    int status = 0;
    QByteArray body;
    // Without a status: what kept it from coming, in words ("нет связи с api.twitch.tv").
    QString failure;

    // What went wrong, for a line the streamer reads: the status, or the failure.
    QString problem() const;
    // No answer worth acting on: none came, or the server failed or asked to wait.
    bool unanswered() const { return status == 0 || status >= 500 || status == 429; }
};

// A request whose answer matters: sent again with the supervisor's backoff (1, 2, 4 … 60 s)
// until the server answers, its handler running only then.
struct Patience {
    QString service; // whose words: "Twitch"
    // The first miss of a run, in words ("Twitch: id.twitch.tv не ответил за 15 с, пробуем
    // снова через 1 с"); the misses after it say nothing.
    std::function<void(const QString &words)> say;
    // False once the answer is no longer wanted (the service stopped): no more tries.
    std::function<bool()> wanted;
};

// Asynchronous requests whose handler runs once, on completion, on the calling thread. Every
// request ends: a whole transfer longer than kTimeoutMs (a server that says nothing, or
// trickles) is cut, and so is an answer larger than kMaxBody.
class Http : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const HttpReply &)>;
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    // Replies beyond this size are cut off and reported without a status.
    static constexpr qint64 kMaxBody = 32 * 1024 * 1024;
    static constexpr int kTimeoutMs = 15000;
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kMaxRetryMs = 60000;

    explicit Http(QObject *parent = nullptr);
    // Deadlines and retries on the scheduler given (tests step a manual one).
    explicit Http(Scheduler &scheduler, QObject *parent = nullptr);

    void get(const QUrl &url, Handler handler, const Headers &headers = {},
             std::optional<Patience> patience = {});
    void postForm(const QUrl &url, const QByteArray &body, Handler handler,
                  std::optional<Patience> patience = {});
    void postJson(const QUrl &url, const QByteArray &body, Handler handler,
                  const Headers &headers = {}, std::optional<Patience> patience = {});
    // Requests whose handler has not run yet, retries waiting included.
    int inFlight() const { return m_inFlight; }

    // The delay before the retry after this many misses in a row.
    static int retryDelayMs(int misses);

signals:
    // A reply's handler has run: what it did is done.
    void handled();

private:
    struct Request;
    void send(const std::shared_ptr<Request> &request);
    void finish(const std::shared_ptr<Request> &request, const HttpReply &reply);

    QtScheduler m_ownScheduler;
    Scheduler &m_scheduler;
    QNetworkAccessManager m_manager;
    int m_inFlight = 0;
};
