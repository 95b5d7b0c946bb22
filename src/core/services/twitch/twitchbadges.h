#pragma once

#include "common/json.h"
#include "model/messagepart.h"

#include <QHash>
#include <QObject>

class BotLogger;
class Http;
class TagMap;
class Utils;
class Endpoints;

// Badge image ids by set and version.
using BadgeSets = QHash<QString, QHash<QString, QString>>;
enum class BadgeScope { Global, Channel };

// Twitch's chat badges from Helix: the token is validated for the client id Helix wants, then
// the global and the room's sets are loaded; a line's badge tags become its badge images.
class TwitchBadges : public QObject {
    Q_OBJECT
public:
    TwitchBadges(Http &http, const Utils &settings, BotLogger &logger, const Endpoints &endpoints);

    const BadgeSets &sets(BadgeScope scope) const {
        return scope == BadgeScope::Global ? m_globalBadges : m_channelBadges;
    }
    // Validates the chat token, then loads both badge sets (the room's by its id) with the
    // client id it names.
    void validateToken(qint64 roomId);
    // Loads both badge sets with a token known to be good.
    void load(qint64 roomId, const QString &clientId, const QString &token);
    // A Helix badge reply ({"data":[{"set_id", "versions":[{"id", "image_url_1x"}]}]}); only
    // images on the CDN are kept, by their id.
    void store(BadgeScope scope, const Json &reply);
    QString buildTwitchBadgeURL(const QString &key, const QString &version) const;
    // The service's badge, then one image a known badge of the tags.
    MessageParts placeBadges(const TagMap &info) const;

signals:
    // A token Twitch refused, for the Services tab status line.
    void status(const QString &text);

private:
    void loadGlobalBadges();
    void loadChannelBadges(qint64 roomId);
    void loadBadges(const QString &path, BadgeScope scope);
    QString helixToken() const;

    Http &m_http;
    const Utils &m_settings;
    BotLogger &m_logger;
    const Endpoints &m_endpoints;
    QString m_clientId;
    QString m_token;
    BadgeSets m_globalBadges;
    BadgeSets m_channelBadges;
};
