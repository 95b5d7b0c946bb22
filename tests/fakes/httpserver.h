#pragma once

#include <QHash>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <functional>

// Hands out its connections encrypted once it has a certificate.
class TlsServer : public QTcpServer {
public:
    QSslCertificate certificate;
    QSslKey key;

protected:
    void incomingConnection(qintptr descriptor) override {
        if (certificate.isNull())
            return QTcpServer::incomingConnection(descriptor);
        auto *socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        socket->setLocalCertificate(certificate);
        socket->setPrivateKey(key);
        socket->startServerEncryption();
        addPendingConnection(socket);
    }
};

// A loopback HTTP server answering each path (with or without its query) with a fixed status
// and body, or with the answers queued for it, one each, first.
class HttpServer {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
    };

    HttpServer() {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *client = m_server.nextPendingConnection())
                serve(client);
        });
    }

    QUrl url() const {
        const QString scheme = m_server.certificate.isNull() ? QStringLiteral("http")
                                                             : QStringLiteral("https");
        return QUrl(QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(m_server.serverPort()));
    }

    // Answers over TLS from now on.
    void encrypt(const QSslCertificate &certificate, const QSslKey &key) {
        m_server.certificate = certificate;
        m_server.key = key;
    }

    void route(const QByteArray &path, int status, const QByteArray &body) {
        m_routes[path] = {status, body};
    }

    void queue(const QByteArray &path, int status, const QByteArray &body) {
        m_queued[path].append({status, body});
    }

    // Ways a server fails to answer a path: it says nothing, sends the head and one byte of
    // the body and then nothing, or resets the connection.
    enum class Stall { None, Silent, Trickle, Reset };
    void stall(const QByteArray &path, Stall how) { m_stalls[path] = how; }
    // Every path that has no stall of its own fails this way.
    void stallEverything(Stall how) { m_stallAll = how; }

    // Runs before each answer is chosen: a fake may change its routes.
    std::function<void(const QByteArray &path)> onRequest;
    QList<QByteArray> requests;     // the paths, in order
    QList<QByteArray> fullRequests; // head and body

private:
    // The head has ended and the body is as long as it says.
    static bool complete(const QByteArray &request) {
        const int headEnd = request.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return false;
        qint64 length = 0;
        for (const QByteArray &line : request.left(headEnd).split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        }
        return request.size() - headEnd - 4 >= length;
    }

    void serve(QTcpSocket *client) {
        QObject::connect(client, &QTcpSocket::readyRead, client, [this, client] {
            m_pending[client] += client->readAll();
            const QByteArray &request = m_pending[client];
            if (!complete(request))
                return;
            const QByteArray path = request.split(' ').value(1);
            requests << path;
            fullRequests << request;
            if (onRequest)
                onRequest(path);
            const QByteArray bare = path.split('?').first();
            m_pending.remove(client);
            switch (m_stalls.value(bare, m_stallAll)) {
            case Stall::Silent:
                return;
            case Stall::Trickle:
                client->write("HTTP/1.1 200 X\r\nContent-Length: 1000\r\n\r\n{");
                return;
            case Stall::Reset:
                client->abort();
                return;
            case Stall::None:
                break;
            }
            const Answer answer =
                !m_queued.value(bare).isEmpty()
                    ? m_queued[bare].takeFirst()
                    : m_routes.value(path, m_routes.value(bare, Answer{404, "x"}));
            client->write("HTTP/1.1 " + QByteArray::number(answer.status) +
                          " X\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
                          "\r\nConnection: close\r\n\r\n" + answer.body);
            client->disconnectFromHost();
        });
        QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    }

    TlsServer m_server;
    QHash<QByteArray, Answer> m_routes;
    QHash<QByteArray, QList<Answer>> m_queued;
    QHash<QByteArray, Stall> m_stalls;
    Stall m_stallAll = Stall::None;
    QHash<QTcpSocket *, QByteArray> m_pending;
};
