#include "followersrelay.h"

#include "common/json.h"
#include "connection/droppedsocket.h"

FollowersRelay::FollowersRelay(const QUrl &url, const Clock &clock, Random &random, QObject *parent)
    : QObject(parent)
    , m_url(url)
    , m_connection({[this](bool) { openSocket(); }, [this] { dropSocket(m_socket); },
                    [this] {
                        if (m_socket)
                            m_socket->ping();
                    }},
                   clock, random) {}

FollowersRelay::~FollowersRelay() {
    dropSocket(m_socket);
}

void FollowersRelay::open(qint64 roomId) {
    if (m_connection.wanted())
        return;
    m_roomId = roomId;
    m_connection.start();
}

void FollowersRelay::close() {
    m_connection.stop();
}

// The subscription is the relay's whole session: once sent, the link counts as joined.
void FollowersRelay::openSocket() {
    m_socket = std::make_unique<QWebSocket>();
    QWebSocket *socket = m_socket.get();
    connect(socket, &QWebSocket::connected, this, [this, socket] {
        socket->sendTextMessage(qstr(Json{{"to_id", m_roomId}}.dump()));
        m_connection.joined();
    });
    connect(socket, &QWebSocket::textMessageReceived, this, [this](const QString &message) {
        m_connection.traffic();
        emit notification(message);
    });
    connect(socket, &QWebSocket::pong, &m_connection, &ServiceConnection::traffic);
    connect(socket, &QWebSocket::disconnected, &m_connection, &ServiceConnection::lost);
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), &m_connection,
            &ServiceConnection::lost);
    socket->open(m_url);
}
