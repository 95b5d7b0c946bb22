#pragma once

#include "fakes/chatrig.h"
#include "fakes/fixedrandom.h"
#include "fakes/httpserver.h"
#include "net/endpoints.h"
#include "services/goodgame/goodgame.h"

#include <QtTest>

// The GoodGame client with real collaborators; its site and static host on one loopback HTTP
// server and its chat socket on a given loopback address.
struct GoodgameRig : ChatRig {
    static Endpoints loopback(const QUrl &http, const QUrl &chat) {
        Endpoints endpoints;
        endpoints.set(endpoint::goodgameSite, http);
        endpoints.set(endpoint::goodgameStatic, http);
        endpoints.set(endpoint::goodgameChat, chat);
        return endpoints;
    }

    explicit GoodgameRig(const QUrl &chat = QUrl(QStringLiteral("ws://127.0.0.1:9/chat")))
        : ChatRig(QStringLiteral("{\"view\":{\"addressed\":{\"words\":[\"streamer\"]}},"
                                 "\"alerts\":{\"voice\":\"random\"}}"))
        , endpoints(loopback(server.url(), chat)) {}

    // Serves a catalogue and waits until the client has filled its smile table from it.
    void loadSmiles(const QByteArray &script) {
        server.route("/js/minified/global.json", 200, script);
        QSignalSpy handled(&http, &Http::handled);
        goodgame.loadEmotes();
        QTRY_VERIFY_WITH_TIMEOUT(!handled.isEmpty(), 5000);
    }

    // Serves a catalogue that must be refused and waits for the error line.
    void refuseSmiles(const QByteArray &script) {
        server.route("/js/minified/global.json", 200, script);
        const int before = log("error").size();
        goodgame.loadEmotes();
        QTRY_VERIFY_WITH_TIMEOUT(log("error").size() > before, 5000);
    }

    HttpServer server;
    Endpoints endpoints;
    FixedRandom random;
    Goodgame goodgame{ServiceDeps{sink, utils, logger, http, endpoints, clock, random}};
};
