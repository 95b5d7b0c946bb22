#pragma once

#include "wsendpoint.h"

#include <QHash>

class EventSub;

// The followers endpoint: a client names its room with {"to_id":N} and from then on gets
// {"data":[{"from_name":…}]} for each new follower of that room.
class FollowersServer final : public WsEndpoint {
    Q_OBJECT
public:
    // Without an EventSub session clients are still served, but no follow ever comes.
    // {"to_id":N} with any room id is far below this.
    static constexpr qint64 kMaxRequestBytes = 1024;

    FollowersServer(EventSub *eventSub, RelayLog log, int requestWithinMs = 2000,
                    int maxClients = 64);

    void notify(qint64 room, const QString &userName);

protected:
    void text(QWebSocket &client, const QString &message) override;
    void gone(QWebSocket &client) override;

private:
    EventSub *m_eventSub;
    QHash<QWebSocket *, qint64> m_rooms;
};
