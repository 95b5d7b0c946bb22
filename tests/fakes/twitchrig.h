#pragma once

#include "chat/chatinput.h"
#include "fakes/chatrig.h"
#include "fakes/fixedrandom.h"
#include "net/endpoints.h"
#include "services/twitch/bttv.h"
#include "services/twitch/ffz.h"
#include "services/twitch/followersrelay.h"
#include "services/twitch/seventv.h"
#include "services/twitch/twitch.h"
#include "services/twitch/twitchkeys.h"
#include "services/twitch/twitchsocket.h"

#include <QUrl>

// The Twitch module with real collaborators, recording pages and services on loopback only.
struct TwitchRig : ChatRig {
    static Endpoints loopback(const QUrl &http) {
        Endpoints endpoints;
        for (const EndpointKey &key : {endpoint::twitchApi, endpoint::twitchIdApi,
                                       endpoint::sevenTvApi, endpoint::bttvApi, endpoint::ffzApi})
            endpoints.set(key, http);
        endpoints.set(endpoint::relayFollowers, QUrl(QStringLiteral("ws://127.0.0.1:9/follows")));
        return endpoints;
    }

    explicit TwitchRig(
        const QUrl &http = QUrl(QStringLiteral("http://127.0.0.1:9")),
        const QString &settings = QStringLiteral("{\"alerts\":{\"voice\":\"random\"}}"))
        : ChatRig(settings)
        , endpoints(loopback(http)) {
        twitch.enterChannel(QStringLiteral("chan"));
    }

    Endpoints endpoints;
    TwitchSocket socket;
    BTTV bttv{http, logger, endpoints};
    FFZ ffz{http, logger, endpoints};
    SevenTV sevenTv{http, logger, endpoints};
    FixedRandom random;
    FollowersRelay followers{endpoints.url(endpoint::relayFollowers), clock, random};
    ChatInput chatInput;
    Twitch twitch{TwitchDeps{socket, followers, sink, utils, logger, bttv, ffz, sevenTv, http,
                             endpoints, clock, random}};
};
