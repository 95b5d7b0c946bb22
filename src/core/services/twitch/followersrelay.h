#pragma once

#include "connection/serviceconnection.h"

#include <QObject>
#include <QUrl>
#include <QWebSocket>
#include <memory>

class Clock;
class Random;

// The relay connection that reports new followers of the Twitch channel. It reconnects on
// the same schedule as the chats while Twitch runs.
class FollowersRelay : public QObject {
    Q_OBJECT
public:
    FollowersRelay(const QUrl &url, const Clock &clock, Random &random, QObject *parent = nullptr);
    ~FollowersRelay() override;

    // Opens the connection unless it is already wanted; subscribes to the room.
    void open(qint64 roomId);
    void close();
    ServiceConnection &connection() { return m_connection; }

signals:
    void notification(const QString &message);

private:
    void openSocket();

    QUrl m_url;
    qint64 m_roomId = 0;
    std::unique_ptr<QWebSocket> m_socket;
    ServiceConnection m_connection;
};
