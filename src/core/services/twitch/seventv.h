#pragma once

#include "model/messagepart.h"
#include "services/twitch/emoteset.h"

#include <QSet>
#include <optional>

// 7TV emotes of the whole service and of the watched channel. Zero-width emotes are drawn
// over the emote before them.
class SevenTV : public EmoteService {
    Q_OBJECT
public:
    SevenTV(Http &http, BotLogger &logger, const Endpoints &endpoints);

    void loadChannelEmotes(qint64 channelID) override;
    void storeGlobalEmotes(const Json &set) override;
    void storeChannelEmotes(const Json &set) override;
    std::optional<MessagePart> placeEmotes(const QString &word) const;

private:
    void loadSet(const QString &id);

    QSet<QString> m_globalZeroWidth;
    QSet<QString> m_channelZeroWidth;
};
