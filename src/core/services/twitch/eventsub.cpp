#include "eventsub.h"

#include "common/json.h"
#include "common/scheduler.h"

#include <QWebSocket>

EventSub::EventSub(const QUrl &socketUrl, const QUrl &helixUrl, const Credentials &credentials,
                   Scheduler &scheduler, Log log)
    : m_socketUrl(socketUrl)
    , m_helixUrl(helixUrl)
    , m_credentials(credentials)
    , m_scheduler(scheduler)
    , m_log(std::move(log)) {}

EventSub::~EventSub() = default;

void EventSub::start() {
    if (m_wanted)
        return;
    m_wanted = true;
    open(m_socketUrl);
}

void EventSub::stop() {
    m_wanted = false;
    ++m_generation;
    for (QWebSocket *socket : {m_socket, m_moving}) {
        if (!socket)
            continue;
        socket->disconnect(this);
        socket->close();
        socket->deleteLater();
    }
    m_socket = m_moving = nullptr;
    m_sessionId.clear();
    m_rooms.clear();
    m_subscribed.clear();
    m_backoffMs = kFirstBackoffMs;
}

void EventSub::open(const QUrl &url) {
    auto *socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    connect(socket, &QWebSocket::textMessageReceived, this,
            [this, socket](const QString &text) { message(socket, text); });
    connect(socket, &QWebSocket::disconnected, this, [this, socket] { lost(socket); });
    (m_socket ? m_moving : m_socket) = socket;
    socket->open(url);
}

void EventSub::subscribe(qint64 room) {
    if (m_rooms.contains(room))
        return;
    m_rooms.append(room);
    if (!m_sessionId.isEmpty())
        post(room);
}

void EventSub::setCredentials(const Credentials &credentials) {
    m_credentials = credentials;
    if (m_sessionId.isEmpty())
        return;
    for (const qint64 room : qAsConst(m_rooms)) {
        if (!m_subscribed.contains(room))
            post(room);
    }
}

void EventSub::message(QWebSocket *socket, const QString &text) {
    const Json frame = parseJson(text);
    if (socket == m_socket)
        m_heard = true;
    const Json &type = jsonAt(frame, {"metadata", "message_type"});
    if (!type.is_string())
        return m_log(QStringLiteral("eventsub: сообщение без типа"));
    const std::string kind = type.get<std::string>();
    if (kind == "session_welcome") {
        const Json &id = jsonAt(frame, {"payload", "session", "id"});
        const Json &keepalive = jsonAt(frame, {"payload", "session", "keepalive_timeout_seconds"});
        const double seconds = keepalive.is_number() ? keepalive.get<double>() : 10;
        welcomed(socket, id.is_string() ? qstr(id.get<std::string>()) : QString(),
                 int(qBound(1.0, seconds, 600.0)));
    } else if (kind == "session_reconnect") {
        const Json &url = jsonAt(frame, {"payload", "session", "reconnect_url"});
        m_log(QStringLiteral("eventsub: Twitch просит переподключиться"));
        if (url.is_string() && socket == m_socket && !m_moving)
            open(QUrl(qstr(url.get<std::string>())));
    } else if (kind == "notification") {
        const Json &event = jsonAt(frame, {"payload", "event"});
        const Json &room = jsonAt(event, {"broadcaster_user_id"});
        const Json &name = jsonAt(event, {"user_name"});
        if (room.is_string() && name.is_string())
            emit follow(qstr(room.get<std::string>()).toLongLong(), qstr(name.get<std::string>()));
    } else if (kind == "revocation") {
        const Json &subscription = jsonAt(frame, {"payload", "subscription"});
        const Json &status = jsonAt(subscription, {"status"});
        const Json &room = jsonAt(subscription, {"condition", "broadcaster_user_id"});
        if (room.is_string())
            m_subscribed.removeAll(qstr(room.get<std::string>()).toLongLong());
        const QString reason = status.is_string() ? qstr(status.get<std::string>()) : QString();
        m_log(QStringLiteral("eventsub: подписку отозвали: ") + reason);
        emit revoked(reason);
    }
}

// A new session after a loss needs its subscriptions again; one we were moved to keeps them.
void EventSub::welcomed(QWebSocket *socket, const QString &sessionId, int keepaliveSeconds) {
    m_backoffMs = kFirstBackoffMs;
    m_sessionId = sessionId;
    m_checkMs = keepaliveSeconds * 1000 + 1000;
    m_heard = false;
    watchSilence(++m_generation);
    if (socket == m_moving) {
        QWebSocket *old = m_socket;
        m_socket = m_moving;
        m_moving = nullptr;
        old->disconnect(this);
        old->close();
        old->deleteLater();
        return m_log(QStringLiteral("eventsub: перешли на новую сессию"));
    }
    m_log(QStringLiteral("eventsub: сессия ") + sessionId);
    m_subscribed.clear();
    for (const qint64 room : qAsConst(m_rooms))
        post(room);
}

void EventSub::watchSilence(int generation) {
    m_scheduler.after(m_checkMs, this, [this, generation] {
        if (generation != m_generation || !m_socket)
            return;
        if (m_heard) {
            m_heard = false;
            return watchSilence(generation);
        }
        m_log(QStringLiteral("eventsub: Twitch молчит дольше обещанного"));
        m_socket->abort();
    });
}

void EventSub::lost(QWebSocket *socket) {
    if (socket == m_moving) {
        m_moving = nullptr;
        socket->deleteLater();
        return;
    }
    if (socket != m_socket)
        return;
    m_socket = nullptr;
    m_sessionId.clear();
    ++m_generation;
    socket->deleteLater();
    m_log(QStringLiteral("eventsub: связь потеряна, снова через %1 мс").arg(m_backoffMs));
    m_scheduler.after(m_backoffMs, this, [this] {
        if (m_wanted && !m_socket)
            open(m_socketUrl);
    });
    m_backoffMs = std::min(m_backoffMs * 2, kLastBackoffMs);
}

void EventSub::post(qint64 room) {
    const std::string id = std::to_string(room);
    const std::string reader =
        m_credentials.userId.isEmpty() ? id : stdstr(m_credentials.userId);
    const Json body{{"type", "channel.follow"},
                    {"version", "2"},
                    {"condition", {{"broadcaster_user_id", id}, {"moderator_user_id", reader}}},
                    {"transport", {{"method", "websocket"}, {"session_id", stdstr(m_sessionId)}}}};
    QUrl url = m_helixUrl;
    url.setPath(url.path() + QStringLiteral("/eventsub/subscriptions"));
    const Http::Headers headers{{"Client-Id", m_credentials.clientId.toUtf8()},
                                {"Authorization", "Bearer " + m_credentials.accessToken.toUtf8()}};
    const QString session = m_sessionId;
    // Sent again while this session lives, until Helix answers.
    const Patience patience{QStringLiteral("eventsub"), m_log, [this, session] {
                                return session == m_sessionId;
                            }};
    const auto answered = [this, room, session](const HttpReply &reply) {
        const int status = reply.status;
        if (session != m_sessionId)
            return;
        // 409: this session has it already.
        if (status == 202 || status == 409) {
            m_subscribed.append(room);
            return m_log(QStringLiteral("eventsub: подписались на фолловеров канала %1").arg(room));
        }
        m_log(QStringLiteral("eventsub: ОШИБКА подписки на канал %1: HTTP %2").arg(room).arg(status));
        emit refused(room, status);
    };
    m_http.postJson(url, QByteArray::fromStdString(body.dump()), answered, headers, patience);
}
