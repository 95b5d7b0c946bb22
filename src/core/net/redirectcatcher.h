#pragma once

#include <QObject>
#include <QTcpServer>
#include <QUrl>
#include <QUrlQuery>

class QTcpSocket;

// A browser login's landing page on loopback: where the service's consent page sends the
// browser back. What the service writes into the address's fragment never reaches a server, so
// the page's one line of script moves it into the query and asks again; that second request is
// the catch.
class RedirectCatcher : public QObject {
    Q_OBJECT
public:
    // A request head longer than this is refused.
    static constexpr int kMaxRequestBytes = 16 * 1024;

    explicit RedirectCatcher(QObject *parent = nullptr);

    // Listens at the address's port on loopback; false, with the reason, when it cannot.
    bool listen(const QUrl &address, QString *error);
    void close() { m_server.close(); }
    bool listening() const { return m_server.isListening(); }

signals:
    // The fields the browser came back with: the fragment's, or the query's (a refusal).
    void caught(const QUrlQuery &fields);

private:
    void serve(QTcpSocket *client);
    void answer(QTcpSocket *client, const QByteArray &head);

    QTcpServer m_server;
    QString m_path;
};
