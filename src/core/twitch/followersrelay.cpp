#include "followersrelay.h"

#include "common/json.h"

FollowersRelay::FollowersRelay(const QUrl &url, QObject *parent)
    : QObject(parent)
    , m_url(url) {
    connect(&m_socket, &QWebSocket::connected, this, [this] {
        m_socket.sendTextMessage(qstr(Json{{"to_id", m_roomId}}.dump()));
    });
    connect(&m_socket, &QWebSocket::textMessageReceived, this, &FollowersRelay::notification);
}

void FollowersRelay::open(qint64 roomId) {
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        return;
    m_roomId = roomId;
    m_socket.open(m_url);
}

void FollowersRelay::close() {
    m_socket.close();
}
