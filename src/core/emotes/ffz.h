#pragma once

#include "emotes/emoteset.h"
#include "model/messagepart.h"

#include <optional>

// FrankerFaceZ emotes of the whole service and of the watched channel.
class FFZ : public EmoteService {
    Q_OBJECT
public:
    FFZ(Http &http, BotLogger &logger, const Endpoints &endpoints);

    void loadGlobalEmotes();
    void loadChannelEmotes(qint64 channelID);
    // What the loaders do with a parsed answer; also for replaying a recorded one.
    void storeGlobalEmotes(const Json &body);
    void storeChannelEmotes(const Json &body);
    std::optional<MessagePart> placeEmotes(const QString &word) const;
};
