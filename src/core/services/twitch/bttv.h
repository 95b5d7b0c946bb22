#pragma once

#include "model/messagepart.h"
#include "services/twitch/emoteset.h"

#include <optional>

// BetterTTV emotes of the whole service and of the watched channel.
class BTTV : public EmoteService {
    Q_OBJECT
public:
    BTTV(Http &http, BotLogger &logger, const Endpoints &endpoints);

    inline static const QStringList offsetEmotes{
        QStringLiteral("IceCold"), QStringLiteral("SantaHat"), QStringLiteral("SoSnowy")};

    void storeGlobalEmotes(const Json &body) override;
    void storeChannelEmotes(const Json &body) override;
    std::optional<MessagePart> placeEmotes(const QString &word) const;
    QString buildBTTVEmote(const QString &id, const QString &code = {}) const;
};
