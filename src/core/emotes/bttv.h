#pragma once

#include "emotes/emoteset.h"
#include "model/messagepart.h"

#include <optional>

// BetterTTV emotes of the whole service and of the watched channel.
class BTTV : public EmoteService {
    Q_OBJECT
public:
    BTTV(Http &http, BotLogger &logger, const Endpoints &endpoints);

    inline static const QStringList offsetEmotes{
        QStringLiteral("IceCold"), QStringLiteral("SantaHat"), QStringLiteral("SoSnowy")};

    void loadGlobalEmotes();
    void loadChannelEmotes(qint64 channelID);
    // What the loaders do with a parsed answer; also for replaying a recorded one.
    void storeGlobalEmotes(const Json &body);
    void storeChannelEmotes(const Json &body);
    std::optional<MessagePart> placeEmotes(const QString &word) const;
    QString buildBTTVEmote(const QString &id, const QString &code = {}) const;
};
