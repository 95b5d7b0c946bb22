#include "wsendpoint.h"

#include <QTimer>
#include <QWebSocket>

WsEndpoint::WsEndpoint(const QString &name, const QString &path, Limits limits, RelayLog log)
    : m_name(name)
    , m_path(path)
    , m_limits(limits)
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
    client.setProperty("refused", true);
    client.close(code);
}

void WsEndpoint::settle(QWebSocket &client) {
    if (auto *idle = client.findChild<QTimer *>(QStringLiteral("idle")))
        idle->stop();
    if (m_waiting.removeOne(&client))
        m_clients.insert(&client);
}

void WsEndpoint::accept() {
    while (QWebSocket *client = m_server.nextPendingConnection())
        admit(client);
}

void WsEndpoint::admit(QWebSocket *client) {
    client->setParent(this);
    // Before anything is read: a message over the cap is never buffered whole.
    client->setMaxAllowedIncomingFrameSize(quint64(m_limits.maxMessageBytes));
    client->setMaxAllowedIncomingMessageSize(quint64(m_limits.maxMessageBytes));
    watch(client);
    if (client->requestUrl().path() != m_path)
        return refuse(*client, QStringLiteral("нет такого адреса: ") + client->requestUrl().path());
    if (!makeRoom())
        return refuse(*client, QStringLiteral("слишком много соединений"),
                      QWebSocketProtocol::CloseCodeTooMuchData);
    m_waiting << client;
    auto *idle = new QTimer(client);
    idle->setObjectName(QStringLiteral("idle"));
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, client,
            [this, client] { refuse(*client, QStringLiteral("клиент молчит, закрываем")); });
    idle->start(m_limits.requestWithinMs);
    connect(client, &QWebSocket::textMessageReceived, this,
            [this, client](const QString &message) { text(*client, message); });
    connect(client, &QWebSocket::binaryMessageReceived, this,
            [this, client] { refuse(*client, QStringLiteral("двоичное сообщение не ждали")); });
}

bool WsEndpoint::makeRoom() {
    if (clients() < m_limits.maxClients)
        return true;
    if (m_waiting.isEmpty())
        return false;
    QWebSocket *oldest = m_waiting.takeFirst();
    refuse(*oldest, QStringLiteral("место нужно новому соединению, молчащее закрыто"));
    return true;
}

// A message over the cap is closed by the socket itself, with 1009: that is said here.
void WsEndpoint::watch(QWebSocket *client) {
    connect(client, &QWebSocket::disconnected, this, [this, client] {
        if (client->closeCode() == QWebSocketProtocol::CloseCodeTooMuchData &&
            !client->property("refused").toBool())
            say(QStringLiteral("сообщение больше %1 байт, закрываем (%2)")
                    .arg(m_limits.maxMessageBytes)
                    .arg(peer(*client)));
        m_clients.remove(client);
        m_waiting.removeOne(client);
        gone(*client);
        client->deleteLater();
    });
}
