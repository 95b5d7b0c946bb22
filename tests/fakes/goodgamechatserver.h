#pragma once

#include "common/json.h"
#include "fakes/httpserver.h"
#include "fakes/samples.h"
#include "fakes/wsserver.h"

// A loopback GoodGame of chat protocol v2: its site takes any chat login, its chat greets each
// client, joins it to the channel of the documented samples, answers pings, and keeps every
// line it says in the channel's history, which it gives when asked.
class GoodgameChatServer {
public:
    GoodgameChatServer() {
        site.route("/ajax/chatlogin", 200, serviceSample("goodgame-chatlogin.json"));
        chat.onConnect = [this] { chat.send(sample("welcome")); };
        chat.onFrame = [this](const QString &frame) { answer(frame); };
    }

    // A line of viewer A; sent at once unless the link is down.
    void say(const QString &text) {
        Json line{{"channel_id", "5"}, {"user_id", 7},          {"user_name", "A"},
                  {"message_id", ++m_lastId}, {"timestamp", m_lastId / 1000}, {"text", stdstr(text)}};
        m_history.push_back(line);
        if (joined)
            chat.send(frame("message", line));
    }

    // The link dropped by the server; the client's next session finds the lines said meanwhile.
    void drop() {
        joined = false;
        chat.closeClient();
    }

    HttpServer site;
    WsServer chat;
    bool joined = false;

private:
    static QString frame(const char *type, const Json &data) {
        return qstr(Json{{"type", type}, {"data", data}}.dump());
    }
    // The first documented frame of a type.
    static QString sample(const char *type) {
        for (const QByteArray &line : serviceSample("goodgame-v2-frames.jsonl").split('\n')) {
            if (line.contains(QByteArray("{\"type\":\"") + type + '"'))
                return QString::fromUtf8(line);
        }
        return {};
    }
    void answer(const QString &text) {
        const Json request = parseJson(text.toUtf8());
        const std::string type = request.is_object() ? request.value("type", "") : "";
        if (type == "auth") {
            chat.send(sample("success_auth"));
        } else if (type == "join") {
            chat.send(sample("success_join"));
            joined = true;
        } else if (type == "get_channel_history") {
            chat.send(frame("channel_history", Json{{"channel_id", "5"}, {"messages", m_history}}));
        } else if (type == "ping") {
            chat.send(frame("pong", Json::object()));
        }
    }

    qint64 m_lastId = 1700000000000;
    Json m_history = Json::array();
};
