#pragma once

#include "alerts/alerts.h"
#include "chat/chat.h"
#include "chat/chatinput.h"
#include "emotes/bttv.h"
#include "emotes/ffz.h"
#include "fakes/recordingpage.h"
#include "fakes/settingsrig.h"
#include "net/endpoints.h"
#include "net/http.h"
#include "twitch/followersrelay.h"
#include "twitch/twitch.h"
#include "twitch/twitchsocket.h"

#include <QUrl>

// The Twitch module with real collaborators, recording pages and services on loopback only.
struct TwitchRig : SettingsRig {
    static Endpoints loopback(const QUrl &http) {
        Endpoints endpoints;
        endpoints.twitchBadgeApi = http;
        endpoints.bttvApi = http;
        endpoints.ffzApi = http;
        endpoints.relayFollowers = QUrl(QStringLiteral("ws://127.0.0.1:9/follows"));
        return endpoints;
    }

    explicit TwitchRig(
        const QUrl &http = QUrl(QStringLiteral("http://127.0.0.1:9")),
        const QString &settings = QStringLiteral("{\"alerts\":{\"voice\":\"random\"}}"))
        : SettingsRig(settings)
        , endpoints(loopback(http)) {
        twitch.channelName = QStringLiteral("chan");
    }

    // The HTML of every line the chat view was given, decoded as the page decodes it.
    QStringList chatHtml() const {
        QStringList result;
        const QString prefix =
            QStringLiteral("('undefined' !== typeof Kestro) && Kestro.addMessage('");
        for (const QString &script : chatView.scripts) {
            if (!script.startsWith(prefix))
                continue;
            QString encoded = script.mid(prefix.size());
            encoded.chop(3);
            encoded.replace(QStringLiteral("#apostrophe#"), QStringLiteral("'"));
            result << QUrl::fromPercentEncoding(encoded.toUtf8());
        }
        return result;
    }

    // The chat view's other calls (strike, remove).
    QStringList chatCalls() const {
        QStringList result;
        for (const QString &script : chatView.scripts) {
            if (!script.contains(QStringLiteral("Kestro.addMessage(")))
                result << script.section(QStringLiteral("Kestro."), 1);
        }
        return result;
    }

    Endpoints endpoints;
    Alerts alerts;
    RecordingPage chatView;
    RecordingPage alertView;
    Chat chat{chatView, alertView, logger, alerts, utils};
    Http http;
    TwitchSocket socket;
    BTTV bttv{http, logger, endpoints};
    FFZ ffz{http, logger, endpoints};
    FollowersRelay followers{endpoints.relayFollowers};
    ChatInput chatInput;
    Twitch twitch{TwitchDeps{socket, chat, chatView, utils, logger, bttv, ffz, followers, chatInput,
                             http, endpoints, clock}};
};
