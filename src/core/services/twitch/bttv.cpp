#include "bttv.h"

#include "services/twitch/twitchkeys.h"

namespace {
// Every record of a list that has a string code and id.
void storeRecords(const Json &records, EmoteTable &table) {
    if (!records.is_array())
        return;
    for (const Json &record : records) {
        const Json &code = jsonAt(record, {"code"});
        const Json &id = jsonAt(record, {"id"});
        if (code.is_string() && id.is_string())
            table.insert(qstr(code.get<std::string>()), qstr(id.get<std::string>()));
    }
}
} // namespace

BTTV::BTTV(Http &http, BotLogger &logger, const Endpoints &endpoints)
    : EmoteService(
          http, logger, endpoints,
          {"BTTV", endpoint::bttvApi, "/3/cached/emotes/global", "/3/cached/users/twitch/"}) {}

void BTTV::storeGlobalEmotes(const Json &body) {
    storeRecords(body, m_globalEmotes);
}

void BTTV::storeChannelEmotes(const Json &body) {
    storeRecords(jsonAt(body, {"sharedEmotes"}), m_channelEmotes);
    storeRecords(jsonAt(body, {"channelEmotes"}), m_channelEmotes);
}

std::optional<MessagePart> BTTV::placeEmotes(const QString &word) const {
    const QString *found = findEmote(word);
    if (!found)
        return std::nullopt;
    MessagePart emote =
        MessagePart::emote(buildBTTVEmote(*found, word), word, QStringLiteral("BTTV: ") + word);
    if (offsetEmotes.contains(word))
        emote.overlay = MessagePart::Overlay::Offset;
    return emote;
}

QString BTTV::buildBTTVEmote(const QString &id, const QString &) const {
    return m_endpoints.url(endpoint::bttvCdn).toString(QUrl::StripTrailingSlash) +
           QStringLiteral("/emote/") + id + QStringLiteral("/1x");
}
