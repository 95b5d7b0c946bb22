#pragma once

#include "common/json.h"
#include "fakes/httpserver.h"
#include "fakes/samples.h"
#include "fakes/wsserver.h"

#include <QUrlQuery>

// A loopback DonationAlerts: its site (the consent page, the user, the channel tokens, the
// recent donations) and its Centrifugo 2.2.1 socket, each answering in the documented shapes.
// What is asked of either goes into one list of steps, in order.
class DonationAlertsServer {
public:
    static QByteArray accessToken() { return "da-access-token-1"; }

    DonationAlertsServer() {
        site.route("/api/v1/user/oauth", 200, serviceSample("donationalerts-user-oauth.json"));
        site.route("/api/v1/centrifuge/subscribe", 200,
                   serviceSample("donationalerts-subscribe.json"));
        setDonations({});
        // The consent page sends the browser back with the token in the fragment, as the real
        // one does once the user allows.
        site.route("/oauth/authorize", 200,
                   "<!doctype html><title>Authorize</title><button id=authorize onclick=\""
                   "const q = new URLSearchParams(location.search);"
                   "location.href = q.get('redirect_uri') + '#access_token=" +
                       accessToken() + "&token_type=Bearer&expires_in=631138518'\">Allow</button>");
        site.onRequest = [this](const QByteArray &path) {
            steps << QStringLiteral("http ") + QString::fromUtf8(path.split('?').first());
        };
        socket.onFrame = [this](const QString &frame) { answer(frame); };
    }

    // A donation of the documented shape with these fields changed.
    static Json donation(qint64 id, const Json &changes = Json::object()) {
        Json record = parseJson(serviceSample("donationalerts-donation.json"));
        record["id"] = id;
        record.update(changes);
        return record;
    }
    // Its publication on the channel, as one message of a frame.
    static QString publication(const Json &record) {
        Json message = centrifugo(4);
        message["result"]["data"]["data"] = record;
        return qstr(message.dump());
    }
    void publish(const Json &record) { socket.send(publication(record)); }

    // The first page of recent donations, newest first.
    void setDonations(const std::vector<Json> &records) {
        Json page = parseJson(serviceSample("donationalerts-donations.json"));
        for (const Json &record : records)
            page["data"].push_back(record);
        site.route("/api/v1/alerts/donations", 200, QByteArray::fromStdString(page.dump()));
    }

    QStringList steps;
    HttpServer site;
    WsServer socket;

private:
    static Json centrifugo(int line) {
        return parseJson(serviceSample("donationalerts-centrifugo.jsonl").split('\n').at(line));
    }

    void answer(const QString &frame) {
        const Json command = parseJson(frame);
        const int method = command.value("method", 0);
        steps << QStringLiteral("socket method %1").arg(method);
        if (method == 0 && !command.contains("params"))
            return socket.closeClient();
        Json reply = centrifugo(method == 0 ? 0 : method == 1 ? 1 : 3);
        reply["id"] = command.value("id", 0);
        socket.send(qstr(reply.dump()));
        if (method == 1)
            socket.send(qstr(centrifugo(2).dump()));
    }
};
