#pragma once

#include "common/json.h"
#include "fakes/httpserver.h"
#include "fakes/samples.h"
#include "fakes/wsserver.h"

// A loopback VK Video Live: its REST API and its Centrifugo 4 socket in the shapes its DevAPI
// documents. What is asked of either goes into one list of steps, in order.
class VkVideoServer {
public:
    static QByteArray accessToken() { return "vk-access-token-1"; }

    VkVideoServer() {
        api.route("/v1/channel", 200, testData("vkvideo-channel.json"));
        api.route("/v1/current_user", 200, R"({"data":{"user":{"id":42,"nick":"Streamer.One"}}})");
        api.route("/v1/websocket/token", 200, R"({"data":{"token":"ws-token-1"}})");
        api.route("/v1/websocket/subscription_token", 200, R"({"data":{"channel_tokens":[]}})");
        // The consent page sends the browser back with the token, its end and our state in the
        // fragment, as the real one does once the user allows.
        api.route("/app/oauth2/authorize", 200,
                  "<!doctype html><title>Authorize</title><button id=authorize onclick=\""
                  "const q = new URLSearchParams(location.search);"
                  "location.href = q.get('redirect_uri') + '#access_token=" +
                      accessToken() +
                      "&state=' + q.get('state') + '&expire_time=86400&token_type=Bearer'\">"
                      "Allow</button>");
        api.onRequest = [this](const QByteArray &path) {
            steps << QStringLiteral("http ") + QString::fromUtf8(path.split('?').first());
        };
        socket.onFrame = [this](const QString &frame) {
            answer(frame);
        };
    }

    // A recorded message of the socket, by its line in the frames file.
    static QString frame(int line) {
        return QString::fromUtf8(testData("vkvideo-frames.jsonl").split('\n').at(line));
    }
    void push(int line) { socket.send(frame(line)); }

    QStringList steps;
    Json connectReply = parseJson(frame(0).toUtf8());
    HttpServer api;
    WsServer socket;

private:
    void answer(const QString &text) {
        const Json command = parseJson(text);
        if (!command.is_object() || command.empty()) {
            steps << QStringLiteral("socket pong");
            return;
        }
        const std::string name = command.begin().key() == "id" && command.size() > 1
                                     ? std::next(command.begin()).key()
                                     : command.begin().key();
        steps << QStringLiteral("socket ") + qstr(name);
        Json reply = name == "connect" ? connectReply : Json{{name, Json::object()}};
        reply["id"] = command.value("id", 0);
        socket.send(qstr(reply.dump()));
    }
};
