#include "followersserver.h"

#include "common/json.h"
#include "services/twitch/eventsub.h"

#include <QWebSocket>
#include <cmath>

FollowersServer::FollowersServer(EventSub *eventSub, RelayLog log, int requestWithinMs,
                                 int maxClients)
    : WsEndpoint(QStringLiteral("followers"), QStringLiteral("/follows"),
                 {maxClients, requestWithinMs, kMaxRequestBytes}, std::move(log))
    , m_eventSub(eventSub) {
    if (m_eventSub)
        connect(m_eventSub, &EventSub::follow, this, &FollowersServer::notify);
    else
        say(QStringLiteral("нет учётных данных Twitch: фолловеры выключены"));
}

void FollowersServer::text(QWebSocket &client, const QString &message) {
    if (m_rooms.contains(&client))
        return refuse(client, QStringLiteral("второй запрос в одном соединении"));
    const Json request = parseJson(message);
    const Json &room = jsonAt(request, {"to_id"});
    const bool whole = room.is_number() && std::floor(room.get<double>()) == room.get<double>();
    if (!whole || room.get<double>() < 1 || room.get<double>() > 9e15)
        return refuse(client, QStringLiteral("to_id не положительное целое число"));
    const qint64 id = room.get<qint64>();
    settle(client);
    m_rooms.insert(&client, id);
    say(QStringLiteral("ждём фолловеров канала %1 (%2)").arg(id).arg(peer(client)));
    if (m_eventSub)
        m_eventSub->subscribe(id);
}

void FollowersServer::gone(QWebSocket &client) {
    m_rooms.remove(&client);
}

void FollowersServer::notify(qint64 room, const QString &userName) {
    const QString message =
        qstr(Json{{"data", Json::array({Json{{"from_name", stdstr(userName)}}})}}.dump());
    for (auto it = m_rooms.cbegin(); it != m_rooms.cend(); ++it) {
        if (it.value() == room)
            it.key()->sendTextMessage(message);
    }
}
