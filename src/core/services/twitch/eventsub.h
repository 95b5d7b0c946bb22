#pragma once

#include "net/http.h"

#include <QObject>
#include <QUrl>
#include <QVector>
#include <functional>

class QWebSocket;
class Scheduler;

// Twitch's EventSub over WebSocket: one session, a channel.follow subscription for each room
// asked for, and each follow reported. A lost session comes back after 1 s, doubling to 60 s.
// Kestro runs one for its login, the relay one for its clients.
class EventSub : public QObject {
    Q_OBJECT
public:
    struct Credentials {
        QString clientId;
        QString accessToken;
        // The account that reads the follows; without one each room reads its own.
        QString userId = {};
    };
    using Log = std::function<void(const QString &line)>;
    static constexpr int kFirstBackoffMs = 1000;
    static constexpr int kLastBackoffMs = 60000;

    EventSub(const QUrl &socketUrl, const QUrl &helixUrl, const Credentials &credentials,
             Scheduler &scheduler, Log log);
    ~EventSub() override;

    void start();
    // The session ends and its rooms are forgotten.
    void stop();
    void subscribe(qint64 room);
    // A renewed token: the next subscriptions carry it, the failed ones are asked again.
    void setCredentials(const Credentials &credentials);
    QString sessionId() const { return m_sessionId; }

signals:
    void follow(qint64 room, const QString &userName);
    // Helix would not subscribe: 401 is the token, 403 a room the account may not read.
    void refused(qint64 room, int status);
    void revoked(const QString &reason);

private:
    void open(const QUrl &url);
    void message(QWebSocket *socket, const QString &text);
    void welcomed(QWebSocket *socket, const QString &sessionId, int keepaliveSeconds);
    void watchSilence(int generation);
    void lost(QWebSocket *socket);
    void post(qint64 room);

    QUrl m_socketUrl;
    QUrl m_helixUrl;
    Credentials m_credentials;
    Scheduler &m_scheduler;
    Log m_log;
    Http m_http;
    QWebSocket *m_socket = nullptr;
    // The session Twitch asked us to move to; the old one stays until it welcomes us.
    QWebSocket *m_moving = nullptr;
    QString m_sessionId;
    QVector<qint64> m_rooms;      // in the order asked for
    QVector<qint64> m_subscribed; // accepted by Helix in this session
    int m_backoffMs = kFirstBackoffMs;
    // Twitch promises a message within its keepalive time; a whole check period without one
    // and the session is taken for dead even when the socket has not noticed.
    int m_checkMs = 0;
    bool m_heard = false;
    int m_generation = 0; // each socket's silence checks are its own
    bool m_wanted = false;
};
