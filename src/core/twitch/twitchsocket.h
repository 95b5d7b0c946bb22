#pragma once

#include <QObject>

// The Twitch IRC client the window declares; the protocol work lands with the Twitch client.
class TwitchSocket : public QObject {
    Q_OBJECT
public:
    explicit TwitchSocket(QObject *parent = nullptr);

signals:
    void connected(const QString &message);
    void disconnected(const QString &message);
    void received(const QString &message);
    void logging(const QString &message);
};
