#pragma once

#include "fakes/chatrig.h"
#include "fakes/donationalertsserver.h"
#include "fakes/fixedrandom.h"
#include "net/endpoints.h"
#include "services/donationalerts/donationalerts.h"

// The DonationAlerts client with real collaborators, against a loopback DonationAlerts.
struct DonationAlertsRig : ChatRig {
    Endpoints loopback() const {
        Endpoints endpoints;
        endpoints.set(endpoint::donationalertsSite, server.site.url());
        endpoints.set(endpoint::donationalertsSocket, server.socket.url("/connection/websocket"));
        endpoints.set(endpoint::donationalertsClientId, QStringLiteral("cid"));
        return endpoints;
    }

    DonationAlertsRig()
        : ChatRig(QStringLiteral("{\"alerts\":{\"voice\":\"random\"}}")) {}

    // The login of the sample user, as a restart finds it.
    void logIn() {
        service.account().restore(
            {QString::fromLatin1(DonationAlertsServer::accessToken()), 3, QStringLiteral("tris"),
             {}, 0});
    }

    // A second of the window's timer.
    void tick() {
        clock.advance(ServiceConnection::TICK_MS);
        service.tick();
    }

    // The texts of the alerts as the event log has them.
    QStringList alerts() const { return log("event"); }

    DonationAlertsServer server;
    Endpoints endpoints = loopback();
    FixedRandom random;
    DonationAlerts service{ServiceDeps{sink, utils, logger, http, endpoints, clock, random}};
};
