#include "twitchbadges.h"

#include "common/js.h"
#include "net/http.h"
#include "services/patience.h"
#include "services/twitch/tagmap.h"
#include "services/twitch/twitchkeys.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

#include <QRegularExpression>

namespace {
// Name and value of "name/value"; a value of "1" when there is no "/" after the first character.
QPair<QString, QString> splitBadge(const QString &element) {
    const int slash = element.indexOf(QLatin1Char('/'));
    if (slash > 0)
        return {element.left(slash), element.mid(slash + 1)};
    return {element, QStringLiteral("1")};
}
} // namespace

TwitchBadges::TwitchBadges(Http &http, const Utils &settings, BotLogger &logger,
                           const Endpoints &endpoints)
    : m_http(http)
    , m_settings(settings)
    , m_logger(logger)
    , m_endpoints(endpoints) {}

// The chat token ("oauth:…") without its prefix is the bearer token Helix wants.
QString TwitchBadges::helixToken() const {
    QString token = m_settings.text(key::twitchPassword);
    if (token.startsWith(QLatin1String("oauth:")))
        token.remove(0, 6);
    return token;
}

// Helix wants the client id the token was issued to: validation tells it, once per join.
void TwitchBadges::validateToken(qint64 roomId) {
    const QUrl url =
        m_endpoints.url(endpoint::twitchIdApi).resolved(QUrl(QStringLiteral("/oauth2/validate")));
    const Http::Headers headers{{"Authorization", "OAuth " + helixToken().toUtf8()}};
    m_http.get(
        url,
        [this, roomId](const HttpReply &reply) {
            if (reply.status != 200) {
                const QString message =
                    reply.status == 401
                        ? QStringLiteral("Twitch: токен не принят (проверьте OAuth2 токен)")
                        : QStringLiteral("Ошибка Twitch (validate): ") + reply.problem();
                m_logger.log(message, QStringLiteral("error"));
                emit status(message);
                return;
            }
            load(roomId, jsString(jsonAt(parseJson(reply.body), {"client_id"})), helixToken());
        },
        headers, loggedPatience(QStringLiteral("Twitch"), m_logger, [this](const QString &words) {
            emit status(words);
        }));
}

void TwitchBadges::load(qint64 roomId, const QString &clientId, const QString &token) {
    m_clientId = clientId;
    m_token = token;
    loadGlobalBadges();
    loadChannelBadges(roomId);
}

void TwitchBadges::loadGlobalBadges() {
    loadBadges(QStringLiteral("/helix/chat/badges/global"), BadgeScope::Global);
}

void TwitchBadges::loadChannelBadges(qint64 roomId) {
    loadBadges(QStringLiteral("/helix/chat/badges?broadcaster_id=") + QString::number(roomId),
               BadgeScope::Channel);
}

void TwitchBadges::loadBadges(const QString &path, BadgeScope scope) {
    const Http::Headers headers{{"Client-Id", m_clientId.toUtf8()},
                                {"Authorization", "Bearer " + m_token.toUtf8()}};
    m_http.get(
        m_endpoints.url(endpoint::twitchApi).resolved(QUrl(path)),
        [this, scope](const HttpReply &reply) {
            if (reply.status == 200)
                return store(scope, parseJson(reply.body));
            m_logger.log(QStringLiteral("Ошибка Twitch (badges): ") + reply.problem(),
                         QStringLiteral("error"));
        },
        headers, loggedPatience(QStringLiteral("Twitch"), m_logger));
}

void TwitchBadges::store(BadgeScope scope, const Json &reply) {
    const QRegularExpression image(
        QRegularExpression::escape(
            m_endpoints.url(endpoint::twitchStaticCdn).toString(QUrl::StripTrailingSlash)) +
        QStringLiteral("/badges/v1/([a-z0-9-]+)/1"));
    BadgeSets &table = scope == BadgeScope::Global ? m_globalBadges : m_channelBadges;
    const Json &sets = jsonAt(reply, {"data"});
    if (!sets.is_array())
        return;
    for (const Json &set : sets) {
        const Json &name = jsonAt(set, {"set_id"});
        const Json &versions = jsonAt(set, {"versions"});
        if (!name.is_string() || !versions.is_array())
            continue;
        for (const Json &version : versions) {
            const Json &id = jsonAt(version, {"id"});
            const Json &url = jsonAt(version, {"image_url_1x"});
            if (!id.is_string() || !url.is_string())
                continue;
            const auto match = image.match(qstr(url.get<std::string>()));
            if (match.hasMatch())
                table[qstr(name.get<std::string>())][qstr(id.get<std::string>())] =
                    match.captured(1);
        }
    }
}

MessageParts TwitchBadges::placeBadges(const TagMap &info) const {
    MessageParts parts{
        MessagePart::serviceBadge(QStringLiteral("twitch"), QStringLiteral("Twitch"))};
    const QString badges = info.value(QStringLiteral("badges"));
    if (badges.isEmpty())
        return parts;
    QHash<QString, QString> details;
    const QString badgeInfo = info.value(QStringLiteral("badge-info"));
    if (!badgeInfo.isEmpty()) {
        for (const QString &element : badgeInfo.split(QLatin1Char(','))) {
            const auto [name, value] = splitBadge(element);
            details.insert(name, value);
        }
    }
    for (const QString &element : badges.split(QLatin1Char(','))) {
        const auto [name, version] = splitBadge(element);
        const QString url = buildTwitchBadgeURL(name, version);
        if (url.isEmpty())
            continue;
        QString title = QStringLiteral("Badge: ") + name;
        if (details.contains(name))
            title += QStringLiteral(" - ") + details.value(name);
        parts << MessagePart::badge(url, title);
    }
    return parts;
}

QString TwitchBadges::buildTwitchBadgeURL(const QString &key, const QString &version) const {
    QString id = m_channelBadges.value(key).value(version);
    if (id.isEmpty())
        id = m_globalBadges.value(key).value(version);
    if (id.isEmpty())
        return {};
    return m_endpoints.url(endpoint::twitchStaticCdn).toString(QUrl::StripTrailingSlash) +
           QStringLiteral("/badges/v1/") + id + QStringLiteral("/1");
}
