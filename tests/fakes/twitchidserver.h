#pragma once

#include "common/json.h"
#include "fakes/httpserver.h"
#include "fakes/samples.h"

// A loopback id.twitch.tv (and Helix's subscriptions) for the device code grant: the
// documented device reply points at its own activation page, where a click approves the code;
// until then the token endpoint answers authorization_pending.
class TwitchIdServer {
public:
    TwitchIdServer() {
        Json device = parseJson(serviceSample("twitch-oauth2-device.json"));
        device["verification_uri"] =
            stdstr(http.url().toString()) + "/activate?public=true&device-code=ABCDEFGH";
        device["interval"] = 1;
        http.route("/oauth2/device", 200, QByteArray::fromStdString(device.dump()));
        http.route("/oauth2/token", 400, serviceSample("twitch-oauth2-token-pending.json"));
        http.route("/oauth2/validate", 200, serviceSample("twitch-oauth2-validate.json"));
        http.route("/activate", 200,
                   "<!doctype html><title>Activate</title><button id=authorize onclick=\"fetch("
                   "'/activate/approve',{method:'POST'}).then(()=>document.body.dataset.approved"
                   "='yes')\">Authorize</button>");
        http.route("/activate/approve", 200, "{}");
        http.route("/helix/eventsub/subscriptions", 202,
                   serviceSample("twitch-helix-eventsub-subscription.json"));
        http.onRequest = [this](const QByteArray &path) {
            if (path == "/activate/approve")
                http.route("/oauth2/token", 200, serviceSample("twitch-oauth2-token.json"));
        };
    }

    // The access token of the documented reply, which approval hands out.
    static QByteArray accessToken() { return "rfx2uswqe8l4g1mkagrvg5tv0ks3"; }

    HttpServer http;
};
