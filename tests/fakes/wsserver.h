#pragma once

#include <QSignalSpy>
#include <QUrl>
#include <QWebSocket>
#include <QWebSocketServer>
#include <functional>
#include <memory>
#include <vector>

// A loopback WebSocket server with one client at a time: records its text frames and sends
// frames to it.
class WsServer {
public:
    WsServer()
        : m_server(QStringLiteral("fake"), QWebSocketServer::NonSecureMode) {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QWebSocketServer::newConnection, [this] {
            m_client = m_server.nextPendingConnection();
            m_accepted.emplace_back(m_client);
            ++connections;
            if (onConnect)
                onConnect();
            QObject::connect(m_client, &QWebSocket::textMessageReceived,
                             [this](const QString &frame) {
                                 frames << frame;
                                 if (onFrame)
                                     onFrame(frame);
                             });
        });
    }

    QUrl url(const QString &path = QStringLiteral("/")) const {
        return QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }

    bool waitForClient() {
        QSignalSpy spy(&m_server, &QWebSocketServer::newConnection);
        return m_client || spy.wait(5000);
    }

    void send(const QString &frame) { m_client->sendTextMessage(frame); }
    void sendBinary(const QByteArray &bytes) { m_client->sendBinaryMessage(bytes); }
    void closeClient(QWebSocketProtocol::CloseCode code = QWebSocketProtocol::CloseCodeNormal,
                     const QString &reason = {}) {
        m_client->close(code, reason);
    }

    QStringList frames;
    int connections = 0;
    bool clientOpen() const {
        return m_client && m_client->state() == QAbstractSocket::ConnectedState;
    }
    std::function<void(const QString &)> onFrame; // runs after each text frame is recorded
    std::function<void()> onConnect;              // runs as each client is accepted

private:
    QWebSocketServer m_server;
    QWebSocket *m_client = nullptr;
    std::vector<std::unique_ptr<QWebSocket>> m_accepted; // every client, freed with the server
};
