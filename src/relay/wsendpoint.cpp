#include "wsendpoint.h"

#include <QTimer>
#include <QWebSocket>

WsEndpoint::WsEndpoint(const QString &name, const QString &path, int maxClients, int idleMs,
                       RelayLog log)
    : m_name(name)
    , m_path(path)
    , m_maxClients(maxClients)
    , m_idleMs(idleMs)
    , m_log(std::move(log))
    , m_server(QStringLiteral("kestro-relay"), QWebSocketServer::NonSecureMode) {
    connect(&m_server, &QWebSocketServer::newConnection, this, &WsEndpoint::accept);
}

// The clients go first and quietly: their goodbyes must not reach a half-destroyed endpoint.
WsEndpoint::~WsEndpoint() {
    for (QWebSocket *client : findChildren<QWebSocket *>(QString(), Qt::FindDirectChildrenOnly)) {
        client->disconnect(this);
        delete client;
    }
}

bool WsEndpoint::listen(const QHostAddress &address, quint16 port) {
    if (m_server.listen(address, port)) {
        say(QStringLiteral("слушаем ws://%1:%2%3")
                .arg(address.toString())
                .arg(m_server.serverPort())
                .arg(m_path));
        return true;
    }
    say(QStringLiteral("ОШИБКА: не слушаем порт %1: %2").arg(port).arg(m_server.errorString()));
    return false;
}

void WsEndpoint::say(const QString &line) const {
    m_log(m_name + QStringLiteral(": ") + line);
}

QString WsEndpoint::peer(const QWebSocket &client) {
    return client.peerAddress().toString() + QLatin1Char(':') + QString::number(client.peerPort());
}

void WsEndpoint::refuse(QWebSocket &client, const QString &why,
                        QWebSocketProtocol::CloseCode code) {
    say(why + QStringLiteral(" (") + peer(client) + QLatin1Char(')'));
    client.close(code);
}

void WsEndpoint::settle(QWebSocket &client) {
    if (auto *idle = client.findChild<QTimer *>(QStringLiteral("idle")))
        idle->stop();
}

void WsEndpoint::accept() {
    while (QWebSocket *client = m_server.nextPendingConnection()) {
        client->setParent(this);
        connect(client, &QWebSocket::disconnected, this, [this, client] {
            m_clients.remove(client);
            gone(*client);
            client->deleteLater();
        });
        if (client->requestUrl().path() != m_path) {
            refuse(*client, QStringLiteral("нет такого адреса: ") + client->requestUrl().path());
            continue;
        }
        if (m_clients.size() >= m_maxClients) {
            refuse(*client, QStringLiteral("слишком много соединений"),
                   QWebSocketProtocol::CloseCodeTooMuchData);
            continue;
        }
        m_clients.insert(client);
        auto *idle = new QTimer(client);
        idle->setObjectName(QStringLiteral("idle"));
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, client,
                [this, client] { refuse(*client, QStringLiteral("клиент молчит, закрываем")); });
        idle->start(m_idleMs);
        connect(client, &QWebSocket::textMessageReceived, this,
                [this, client](const QString &message) { text(*client, message); });
        connect(client, &QWebSocket::binaryMessageReceived, this,
                [this, client] { refuse(*client, QStringLiteral("двоичное сообщение не ждали")); });
    }
}
