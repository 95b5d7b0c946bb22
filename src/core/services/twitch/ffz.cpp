#include "ffz.h"

#include "services/twitch/twitchkeys.h"

namespace {
// Every emoticon of every set, in the answer's order; one without a name or 1× address
// ends the whole answer, keeping what was stored before it.
void storeSets(const Json &body, EmoteTable &table) {
    const Json &sets = jsonAt(body, {"sets"});
    if (!sets.is_object())
        return;
    for (const auto &[setName, set] : sets.items()) {
        const Json &emoticons = jsonAt(set, {"emoticons"});
        if (!emoticons.is_array())
            continue;
        for (const Json &emoticon : emoticons) {
            const Json &name = jsonAt(emoticon, {"name"});
            const Json &address = jsonAt(emoticon, {"urls", "1"});
            if (!name.is_string() || !address.is_string())
                return;
            table.insert(qstr(name.get<std::string>()), qstr(address.get<std::string>()));
        }
    }
}
} // namespace

FFZ::FFZ(Http &http, BotLogger &logger, const Endpoints &endpoints)
    : EmoteService(http, logger, endpoints,
                   {"FFZ", endpoint::ffzApi, "/v1/set/global", "/v1/room/id/"}) {}

void FFZ::storeGlobalEmotes(const Json &body) {
    storeSets(body, m_globalEmotes);
}

void FFZ::storeChannelEmotes(const Json &body) {
    storeSets(body, m_channelEmotes);
}

std::optional<MessagePart> FFZ::placeEmotes(const QString &word) const {
    const QString *found = findEmote(word);
    if (!found)
        return std::nullopt;
    return MessagePart::emote(QStringLiteral("https:") + *found, word,
                              QStringLiteral("FFZ: ") + word);
}
