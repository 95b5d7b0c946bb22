#include "eventsub.h"

#include "common/json.h"
#include "scheduler.h"

#include <QNetworkReply>
#include <QWebSocket>

EventSub::EventSub(const QUrl &socketUrl, const QUrl &helixUrl, const Credentials &credentials,
                   Scheduler &scheduler, RelayLog log)
    : m_socketUrl(socketUrl)
    , m_helixUrl(helixUrl)
    , m_credentials(credentials)
    , m_scheduler(scheduler)
    , m_log(std::move(log)) {
    m_silence.setSingleShot(true);
    connect(&m_silence, &QTimer::timeout, this, [this] {
        if (!m_socket)
            return;
        m_log(QStringLiteral("eventsub: Twitch молчит дольше обещанного"));
        m_socket->abort();
    });
}

EventSub::~EventSub() = default;

void EventSub::start() {
    open(m_socketUrl);
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

void EventSub::message(QWebSocket *socket, const QString &text) {
    const Json frame = parseJson(text);
    if (socket == m_socket && m_silence.interval() > 0)
        m_silence.start();
    const Json &type = jsonAt(frame, {"metadata", "message_type"});
    if (!type.is_string())
        return m_log(QStringLiteral("eventsub: сообщение без типа"));
    const std::string kind = type.get<std::string>();
    if (kind == "session_welcome") {
        const Json &id = jsonAt(frame, {"payload", "session", "id"});
        const Json &keepalive = jsonAt(frame, {"payload", "session", "keepalive_timeout_seconds"});
        m_silence.setInterval(
            keepalive.is_number() ? std::max(1, int(keepalive.get<double>())) * 2000 : 20000);
        welcomed(socket, id.is_string() ? qstr(id.get<std::string>()) : QString());
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
        m_log(QStringLiteral("eventsub: подписку отозвали: ") +
              qstr(jsonAt(frame, {"payload", "subscription", "status"}).dump()));
    }
}

// A new session after a loss needs its subscriptions again; one we were moved to keeps them.
void EventSub::welcomed(QWebSocket *socket, const QString &sessionId) {
    m_backoffMs = kFirstBackoffMs;
    m_sessionId = sessionId;
    if (socket == m_moving) {
        QWebSocket *old = m_socket;
        m_socket = m_moving;
        m_moving = nullptr;
        m_silence.start();
        old->disconnect(this);
        old->close();
        old->deleteLater();
        return m_log(QStringLiteral("eventsub: перешли на новую сессию"));
    }
    m_silence.start();
    m_log(QStringLiteral("eventsub: сессия ") + sessionId);
    for (const qint64 room : qAsConst(m_rooms))
        post(room);
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
    m_silence.stop();
    socket->deleteLater();
    m_log(QStringLiteral("eventsub: связь потеряна, снова через %1 мс").arg(m_backoffMs));
    m_scheduler.after(m_backoffMs, this, [this] { open(m_socketUrl); });
    m_backoffMs = std::min(m_backoffMs * 2, kLastBackoffMs);
}

void EventSub::post(qint64 room) {
    const std::string id = std::to_string(room);
    const Json body{{"type", "channel.follow"},
                    {"version", "2"},
                    {"condition", {{"broadcaster_user_id", id}, {"moderator_user_id", id}}},
                    {"transport", {{"method", "websocket"}, {"session_id", stdstr(m_sessionId)}}}};
    QUrl url = m_helixUrl;
    url.setPath(url.path() + QStringLiteral("/eventsub/subscriptions"));
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader("Client-Id", m_credentials.clientId.toUtf8());
    request.setRawHeader("Authorization", "Bearer " + m_credentials.accessToken.toUtf8());
    QNetworkReply *reply = m_network.post(request, QByteArray::fromStdString(body.dump()));
    connect(reply, &QNetworkReply::finished, this, [this, reply, room] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        m_log(status == 202
                  ? QStringLiteral("eventsub: подписались на фолловеров канала %1").arg(room)
                  : QStringLiteral("eventsub: ОШИБКА подписки на канал %1: HTTP %2")
                        .arg(room)
                        .arg(status));
        reply->deleteLater();
    });
}
