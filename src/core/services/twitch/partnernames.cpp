#include "services/twitch/partnernames.h"

#include "common/json.h"
#include "net/http.h"
#include "services/twitch/twitchkeys.h"
#include "shell/botlogger.h"

#include <QTimer>
#include <QUrlQuery>

namespace {
QString textAt(const Json &record, const char *key) {
    const Json &value = jsonAt(record, {key});
    return value.is_string() ? qstr(value.get<std::string>()) : QString();
}
} // namespace

PartnerNames::PartnerNames(Http &http, const Endpoints &endpoints, BotLogger &logger)
    : m_http(http)
    , m_endpoints(endpoints)
    , m_logger(logger) {}

QString PartnerNames::nameOf(const QString &roomId, const EventSub::Credentials &login) {
    if (const auto known = m_names.constFind(roomId); known != m_names.cend())
        return *known;
    if (login.accessToken.isEmpty() || login.clientId.isEmpty() || roomId.isEmpty() ||
        m_asked.contains(roomId))
        return roomId;
    m_asked.insert(roomId);
    m_pending << roomId;
    if (m_pending.size() == 1)
        QTimer::singleShot(0, this, [this, login] { lookUp(login); });
    return roomId;
}

void PartnerNames::lookUp(const EventSub::Credentials &login) {
    const Http::Headers headers{{"Client-Id", login.clientId.toUtf8()},
                                {"Authorization", "Bearer " + login.accessToken.toUtf8()}};
    while (!m_pending.isEmpty()) {
        QUrlQuery query;
        const QStringList batch = m_pending.mid(0, kBatch);
        for (const QString &id : batch)
            query.addQueryItem(QStringLiteral("id"), id);
        m_pending = m_pending.mid(kBatch);
        QUrl url =
            m_endpoints.url(endpoint::twitchApi).resolved(QUrl(QStringLiteral("/helix/users")));
        url.setQuery(query);
        m_http.get(
            url,
            [this, batch](const HttpReply &reply) {
                if (reply.status != 200) {
                    // Asked again at the room's next line: a name is not worth a retry.
                    for (const QString &id : batch)
                        m_asked.remove(id);
                    return m_logger.log(QStringLiteral("Ошибка Twitch (users): ") + reply.problem(),
                                        QStringLiteral("error"));
                }
                const Json body = parseJson(reply.body);
                const Json &users = jsonAt(body, {"data"});
                if (!users.is_array())
                    return;
                for (const Json &user : users) {
                    const QString id = textAt(user, "id");
                    const QString name = textAt(user, "display_name");
                    if (!id.isEmpty() && !name.isEmpty())
                        m_names.insert(id, name);
                }
            },
            headers);
    }
}
