#pragma once

#include "fakes/chatrig.h"
#include "fakes/freeport.h"
#include "fakes/lineparts.h"
#include "overlay/overlay.h"
#include "services/goodgame/goodgame.h"
#include "services/twitch/twitch.h"

// The presenter, the alert queue and the overlay as Kestro wires them, on a free port.
struct OverlayRig : ChatRig {
    OverlayRig() {
        utils.addService({}, twitchSoundSlots());
        QObject::connect(&chat, &Chat::lineShown, &overlay, &Overlay::chatLine);
        QObject::connect(&chat, &Chat::moderated, &overlay, &Overlay::moderate);
        QObject::connect(&alerts, &Alerts::playing, &overlay, &Overlay::alertStarted);
        QObject::connect(&alerts, &Alerts::played, &overlay, &Overlay::alertEnded);
        utils.form().overlayPort = QString::number(freePortPair());
        utils.form().overlayToken = QStringLiteral("tok");
        overlay.setLook(goodgameLook());
        utils.saveConfig();
        overlay.start();
    }

    MessageParts twitchLine(const QString &id, const QString &nick, const QString &text) const {
        return {lineparts::badge(QStringLiteral("Twitch")),
                lineparts::nick(nick, QStringLiteral("#1E90FF"), QStringLiteral("twitch"), id,
                                nick.toLower()),
                MessagePart::textPart(QStringLiteral(": ") + text),
                MessagePart::emote(QStringLiteral("https://static-cdn.jtvnw.net/emoticons/v2/25/"
                                                  "default/dark/1.0"),
                                   QStringLiteral("Kappa"), QStringLiteral("Twitch: Kappa"),
                                   QStringLiteral("twitch"))};
    }

    MessageParts goodgameLine(const QString &id, const QString &nick, const QString &text) const {
        return {lineparts::badge(QStringLiteral("Goodgame")),
                lineparts::nick(nick, QStringLiteral("#73adff"), QStringLiteral("goodgame"), id),
                MessagePart::textPart(QStringLiteral(": ") + text)};
    }

    Overlay overlay{utils, clock};
};
