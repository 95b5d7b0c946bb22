#pragma once

#include <QObject>
#include <QUrl>
#include <QWebSocket>

// The relay connection that reports new followers of the Twitch channel.
class FollowersRelay : public QObject {
    Q_OBJECT
public:
    explicit FollowersRelay(const QUrl &url, QObject *parent = nullptr);

    // Opens the connection unless it is already open or opening; subscribes to the room.
    void open(qint64 roomId);
    void close();

signals:
    void notification(const QString &message);

private:
    QUrl m_url;
    qint64 m_roomId = 0;
    QWebSocket m_socket;
};
