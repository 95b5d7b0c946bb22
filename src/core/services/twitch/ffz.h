#pragma once

#include "model/messagepart.h"
#include "services/twitch/emoteset.h"

#include <optional>

// FrankerFaceZ emotes of the whole service and of the watched channel.
class FFZ : public EmoteService {
    Q_OBJECT
public:
    FFZ(Http &http, BotLogger &logger, const Endpoints &endpoints);

    void storeGlobalEmotes(const Json &body) override;
    void storeChannelEmotes(const Json &body) override;
    std::optional<MessagePart> placeEmotes(const QString &word) const;
};
