#pragma once

#include "relaylog.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QVector>
#include <memory>

class QWebSocket;
class Scheduler;

// Twitch's EventSub over WebSocket: one session, a channel.follow subscription for each room
// asked for, and each follow reported. A lost session comes back after 1 s, doubling to 60 s.
class EventSub : public QObject {
    Q_OBJECT
public:
    struct Credentials {
        QString clientId;
        QString accessToken;
    };
    static constexpr int kFirstBackoffMs = 1000;
    static constexpr int kLastBackoffMs = 60000;

    EventSub(const QUrl &socketUrl, const QUrl &helixUrl, const Credentials &credentials,
             Scheduler &scheduler, RelayLog log);
    ~EventSub() override;

    void start();
    void subscribe(qint64 room);
    QString sessionId() const { return m_sessionId; }

signals:
    void follow(qint64 room, const QString &userName);

private:
    void open(const QUrl &url);
    void message(QWebSocket *socket, const QString &text);
    void welcomed(QWebSocket *socket, const QString &sessionId);
    void lost(QWebSocket *socket);
    void post(qint64 room);

    QUrl m_socketUrl;
    QUrl m_helixUrl;
    Credentials m_credentials;
    Scheduler &m_scheduler;
    RelayLog m_log;
    QNetworkAccessManager m_network;
    QWebSocket *m_socket = nullptr;
    // The session Twitch asked us to move to; the old one stays until it welcomes us.
    QWebSocket *m_moving = nullptr;
    QString m_sessionId;
    QVector<qint64> m_rooms; // in the order asked for
    int m_backoffMs = kFirstBackoffMs;
    // Twitch promises a message within its keepalive time; twice that silent, the session is
    // taken for dead even when the socket has not noticed.
    QTimer m_silence;
};
