#include "seventv.h"

#include "services/twitch/twitchkeys.h"

namespace {

// 7TV marks zero-width either on the emote's place in the set or on the emote itself.
constexpr qint64 kSetZeroWidth = 1;
constexpr qint64 kEmoteZeroWidth = 1 << 8;

bool hasFlag(const Json &flags, qint64 flag) {
    return flags.is_number_integer() && (flags.get<qint64>() & flag) != 0;
}

// The 1× WebP file, else the first file, on the emote's host; hosts are scheme-relative.
QString imageOf(const Json &emote) {
    const Json &host = jsonAt(emote, {"data", "host", "url"});
    const Json &files = jsonAt(emote, {"data", "host", "files"});
    if (!host.is_string() || !files.is_array() || files.empty())
        return {};
    QString file;
    for (const Json &entry : files) {
        const Json &name = jsonAt(entry, {"name"});
        if (name.is_string() && (file.isEmpty() || name.get<std::string>() == "1x.webp"))
            file = qstr(name.get<std::string>());
    }
    QString base = qstr(host.get<std::string>());
    if (base.startsWith(QLatin1String("//")))
        base.prepend(QLatin1String("https:"));
    if (!base.startsWith(QLatin1String("https://")) || file.isEmpty())
        return {};
    return base + QLatin1Char('/') + file;
}

void storeSet(const Json &set, EmoteTable &table, QSet<QString> &zeroWidth) {
    const Json &emotes = jsonAt(set, {"emotes"});
    if (!emotes.is_array())
        return;
    for (const Json &emote : emotes) {
        const Json &name = jsonAt(emote, {"name"});
        const QString image = imageOf(emote);
        if (!name.is_string() || image.isEmpty())
            continue;
        const QString word = qstr(name.get<std::string>());
        table.insert(word, image);
        if (hasFlag(jsonAt(emote, {"flags"}), kSetZeroWidth) ||
            hasFlag(jsonAt(emote, {"data", "flags"}), kEmoteZeroWidth))
            zeroWidth.insert(word);
        else
            zeroWidth.remove(word);
    }
}
} // namespace

SevenTV::SevenTV(Http &http, BotLogger &logger, const Endpoints &endpoints)
    : EmoteService(http, logger, endpoints,
                   {"7TV", endpoint::sevenTvApi, "/v3/emote-sets/global", "/v3/users/twitch/"}) {}

// The user's answer carries its active set, with its emotes inline or only its id.
void SevenTV::loadChannelEmotes(qint64 channelID) {
    fetch(QLatin1String(m_api.channelPath) + QString::number(channelID), EmoteScope::Channel,
          [this](const Json &user) {
              const Json &set = jsonAt(user, {"emote_set"});
              const Json &id = jsonAt(set, {"id"});
              if (jsonAt(set, {"emotes"}).is_array())
                  storeChannelEmotes(set);
              else if (id.is_string())
                  loadSet(qstr(id.get<std::string>()));
          });
}

void SevenTV::loadSet(const QString &id) {
    fetch(QStringLiteral("/v3/emote-sets/") + QString::fromLatin1(QUrl::toPercentEncoding(id)),
          EmoteScope::Channel, [this](const Json &set) { storeChannelEmotes(set); });
}

void SevenTV::storeGlobalEmotes(const Json &set) {
    storeSet(set, m_globalEmotes, m_globalZeroWidth);
}

void SevenTV::storeChannelEmotes(const Json &set) {
    storeSet(set, m_channelEmotes, m_channelZeroWidth);
}

std::optional<MessagePart> SevenTV::placeEmotes(const QString &word) const {
    const QString *found = findEmote(word);
    if (!found)
        return std::nullopt;
    const bool zeroWidth = m_channelEmotes.contains(word) ? m_channelZeroWidth.contains(word)
                                                          : m_globalZeroWidth.contains(word);
    MessagePart emote = MessagePart::emote(*found, word, QStringLiteral("7TV: ") + word);
    if (zeroWidth)
        emote.overlay = MessagePart::Overlay::ZeroWidth;
    return emote;
}
