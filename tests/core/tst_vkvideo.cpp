#include "fakes/chatrig.h"
#include "fakes/fixedrandom.h"
#include "fakes/vkvideoserver.h"
#include "services/vkvideo/vkvideo.h"

#include <QtTest>

namespace {
using Step = VkVideo::Step;

// The VK Video Live client with real collaborators, against a loopback VK Video Live.
struct VkVideoRig : ChatRig {
    VkVideoRig()
        : ChatRig(QStringLiteral("{\"alerts\":{\"voice\":\"random\"}}")) {}

    Endpoints loopback() const {
        Endpoints endpoints;
        endpoints.set(endpoint::vkvideoApi, server.api.url());
        endpoints.set(endpoint::vkvideoAuth, server.api.url());
        endpoints.set(endpoint::vkvideoSocket, server.socket.url("/connection/websocket"));
        endpoints.set(endpoint::vkvideoClientId, QStringLiteral("cid"));
        endpoints.set(endpoint::vkvideoRedirect, QStringLiteral("http://localhost:9/vkvideo"));
        return endpoints;
    }

    // Logged in and started on the sample channel, until its lines come.
    void join() {
        service.account().restore(
            {QString::fromLatin1(VkVideoServer::accessToken()), 0, 42, QStringLiteral("S"), 0});
        utils.form().setField(QStringLiteral("vkvideoChannel"),
                              QStringLiteral("https://live.vkvideo.ru/Streamer.One"));
        service.start();
        QTRY_VERIFY2(service.step() == Step::Live,
                     qPrintable(log("error").join("|") + " " + server.steps.join(",") + " " +
                                QString::number(int(service.step()))));
    }

    void tick(qint64 ms = ServiceConnection::TICK_MS) {
        clock.advance(ms);
        service.tick();
    }

    VkVideoServer server;
    Endpoints endpoints = loopback();
    FixedRandom random;
    VkVideo service{ServiceDeps{sink, utils, logger, http, endpoints, clock, random}};
};
// The sample message with this id, time and text.
Json message(qint64 id, qint64 at, const QString &text) {
    Json push = parseJson(VkVideoServer::frame(2).toUtf8());
    Json record = push["push"]["pub"]["data"]["data"]["chat_message"];
    record["id"] = id;
    record["created_at"] = at;
    record["parts"] = Json::array({Json{{"text", {{"content", stdstr(text)}}}}});
    return record;
}

QString pushOf(const Json &record) {
    Json push = parseJson(VkVideoServer::frame(2).toUtf8());
    push["push"]["pub"]["data"]["data"]["chat_message"] = record;
    return qstr(push.dump());
}
} // namespace

class TestVkVideo : public QObject {
    Q_OBJECT
private slots:
    void channelIsParsed_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("slug");
        QTest::addColumn<QString>("problem");
        const QString video = QStringLiteral("Это ссылка VK Видео, а нужен канал VK Video Live");
        QTest::newRow("slug") << "Streamer.One"
                              << "streamer.one" << QString();
        QTest::newRow("live link") << "https://live.vkvideo.ru/abc_1?x=1"
                                   << "abc_1" << QString();
        QTest::newRow("old name") << "vkplay.live/abc"
                                  << "abc" << QString();
        QTest::newRow("older name") << "http://live.vkplay.ru/abc/"
                                    << "abc" << QString();
        QTest::newRow("vk video link") << "https://vkvideo.ru/live-12345" << QString() << video;
        QTest::newRow("nothing") << "  " << QString()
                                 << "VK Video Live: впишите канал (его имя или ссылку на него)";
        QTest::newRow("markup") << "<b>x</b>" << QString()
                                << "VK Video Live: впишите канал (его имя или ссылку на него)";
    }
    void channelIsParsed() {
        QFETCH(QString, typed);
        QFETCH(QString, slug);
        QFETCH(QString, problem);
        const VkVideoChannel channel = VkVideoChannel::parse(typed);
        QCOMPARE(channel.slug, slug);
        QCOMPARE(channel.problem, problem);
    }

    // The address the browser ended on: the state must be ours; the token's end in Unix time
    // or in seconds from now.
    void loginChecksStateAndEnd_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("expireTime");
        QTest::addColumn<qint64>("expiresAt");
        QTest::newRow("unix time") << "ours"
                                   << "1900000000" << qint64(1900000000);
        QTest::newRow("seconds from now") << "ours"
                                          << "3600" << qint64(1714564800 + 3600);
        QTest::newRow("another login's state") << "other"
                                               << "3600" << qint64(-1);
    }
    void loginChecksStateAndEnd() {
        QFETCH(QString, state);
        QFETCH(QString, expireTime);
        QFETCH(qint64, expiresAt);
        VkVideoRig rig;
        VkVideoAccount &account = rig.service.account();
        account.logIn();
        QCOMPARE(account.state(), BrowserLogin::State::Waiting);
        const QUrlQuery consent(QUrl(account.authorizeUrl()).query());
        QCOMPARE(consent.queryItemValue("scope"), QStringLiteral("chat:message:send"));
        QVERIFY(account.authorizeUrl().contains("/app/oauth2/authorize?"));
        const QString sent = consent.queryItemValue("state");
        account.takeAddress("http://localhost:9/vkvideo#access_token=tok&state=" +
                            (state == "ours" ? sent : state) + "&expire_time=" + expireTime +
                            "&token_type=Bearer");
        if (expiresAt < 0) {
            QCOMPARE(account.state(), BrowserLogin::State::LoggedOut);
            QCOMPARE(rig.log("error").last(),
                     QStringLiteral("VK Video Live: ответ не от этого входа, войдите снова"));
            return;
        }
        QTRY_VERIFY2(account.state() == BrowserLogin::State::LoggedIn,
                     qPrintable(rig.log("error").join("|")));
        QCOMPARE(account.auth().expiresAt, expiresAt);
        QCOMPARE(account.login(), QStringLiteral("Streamer.One"));
        QVERIFY(!rig.logBytes("error").contains("tok") && !rig.logBytes("raw").contains("tok"));
    }

    // Channel, token, connect, then every open channel subscribed; the limited one left out of
    // the tokens' answer is not ours to read, and said.
    void sessionGoesInOrder() {
        VkVideoRig rig;
        rig.join();
        QCOMPARE(rig.server.steps.mid(0, 3),
                 (QStringList{"http /v1/channel", "http /v1/websocket/token", "socket connect"}));
        QCOMPARE(rig.server.steps.count("socket subscribe"), 3);
        QTRY_VERIFY(rig.log("error").contains(
            QStringLiteral("VK Video Live: канал channel-limited-chat:1234567 закрыт для чтения")));
        QVERIFY(rig.server.socket.frames.first().contains("\"name\":\"kestro\""));
        QVERIFY(!rig.logBytes("raw").contains("ws-token-1"));
    }

    // Every part kind, a deletion, a follow, a raid and a reward; two pushes in one frame; a
    // private message and an unknown event are not shown, the unknown one said once.
    void eventsBecomeLinesAndAlerts() {
        VkVideoRig rig;
        rig.join();
        rig.sink.events.clear();
        QString twoInOne = VkVideoServer::frame(2) + "\n" + VkVideoServer::frame(3);
        rig.service.processFrame(twoInOne);
        for (int line = 4; line <= 6; ++line)
            rig.service.processFrame(VkVideoServer::frame(line));
        QString hidden = VkVideoServer::frame(2);
        hidden.replace("\"is_private\":false", "\"is_private\":true");
        rig.service.processFrame(hidden);
        const QString unknown =
            R"({"push":{"channel":"c","pub":{"data":{"type":"stream_start","data":{}}}}})";
        rig.service.processFrame(unknown);
        rig.service.processFrame(unknown);
        QCOMPARE(rig.log("chat").value(1),
                 QStringLiteral("[VK Video Live] Viewer_1: привет Kappa @Streamer.One смотри "
                                "example.org/a"));
        const QStringList events = rig.sink.events;
        QCOMPARE(events.size(), 5);
        QCOMPARE(
            events.at(0),
            QStringLiteral("line [VK Video Live] [Подписчик] [VIP] \"Viewer_1\"{author #3a9fd6; "
                           "by vkvideo viewer_1/Viewer_1#9007199254740993} \": \" \"привет \" "
                           "<Kappa>{vkvideo} \" \" \"@Streamer.One\" \" смотри \" "
                           "\"example.org/a\""));
        QVERIFY2(events.at(1).contains("strike message vkvideo 9007199254740993"),
                 qPrintable(events.at(1)));
        QCOMPARE(rig.log("event"),
                 (QStringList{"[VK Video Live] У нас новый фолловер на VK Video Live - NewFan!",
                              "[VK Video Live] Raider пришёл с рейдом и привёл 112 зрителей"}));
        QCOMPARE(rig.log("chat").last(),
                 QStringLiteral("[VK Video Live] Fan2 получает награду «Гидратация»: пей воду"));
        QCOMPARE(rig.log("error").count(
                     QStringLiteral("VK Video Live: событие «stream_start» не знаем, пропускаем")),
                 1);
        QCOMPARE(rig.alerts.QUEUE().size(), 2);
    }

    // The server's ping is answered only when connect asked for it; silence past the ping's
    // time and ten seconds is a dead link.
    void pingsAreAnswered_data() {
        QTest::addColumn<bool>("pong");
        QTest::newRow("pong asked") << true;
        QTest::newRow("pong not asked") << false;
    }
    void pingsAreAnswered() {
        QFETCH(bool, pong);
        VkVideoRig rig;
        rig.server.connectReply["connect"]["pong"] = pong;
        rig.join();
        rig.server.socket.send("{}");
        rig.server.socket.send(R"({"id":99,"subscribe":{}})");
        QTRY_VERIFY(rig.logBytes("raw").contains("\"id\":99"));
        QCOMPARE(rig.server.steps.contains("socket pong"), pong);
        for (qint64 waited = 0; waited <= VkVideo::kPingAfterMs + VkVideo::kPingTimeoutMs;
             waited += ServiceConnection::TICK_MS)
            rig.tick();
        QVERIFY(rig.service.connection().state() != ServiceConnection::State::Connected);
    }

    // With an ending connection token a new one is sent before its time to live runs out.
    void tokenIsRefreshedBeforeItsEnd() {
        VkVideoRig rig;
        rig.join();
        rig.server.api.route("/v1/websocket/token", 200, R"({"data":{"token":"ws-token-2"}})");
        rig.tick(600000 - VkVideo::kRefreshAheadMs - ServiceConnection::TICK_MS);
        QVERIFY(!rig.server.steps.contains("socket refresh"));
        rig.tick();
        QTRY_VERIFY(rig.server.steps.contains("socket refresh"));
        QVERIFY(rig.server.socket.frames.last().contains("ws-token-2"));
    }

    // An ended token (109) and a close of 3000–3499 come back with fresh tokens; from 3500 on the
    // chat stops and says why.
    void endsAndRetries_data() {
        QTest::addColumn<int>("closeCode");
        QTest::addColumn<bool>("stops");
        QTest::newRow("token expired") << 0 << false;
        QTest::newRow("close 3012") << 3012 << false;
        QTest::newRow("close 3500") << 3500 << true;
    }
    void endsAndRetries() {
        QFETCH(int, closeCode);
        QFETCH(bool, stops);
        VkVideoRig rig;
        rig.join();
        if (closeCode == 0) {
            rig.server.connectReply =
                Json{{"error", {{"code", 109}, {"message", "token expired"}}}};
            rig.server.socket.closeClient(QWebSocketProtocol::CloseCode(3005));
        } else {
            rig.server.socket.closeClient(QWebSocketProtocol::CloseCode(closeCode), "bye");
        }
        QTRY_VERIFY(rig.service.step() != Step::Live);
        QCOMPARE(!rig.service.running(), stops);
        if (stops) {
            QCOMPARE(
                rig.log("error").last(),
                QStringLiteral("VK Video Live: сервер закрыл связь (3500 bye), чат остановлен"));
            return;
        }
        const int asked = rig.server.steps.count("http /v1/websocket/token");
        for (int i = 0; i < 40 && rig.server.steps.count("http /v1/websocket/token") == asked;
             ++i) {
            rig.tick();
            QTest::qWait(0);
        }
        QTRY_VERIFY(rig.server.steps.count("http /v1/websocket/token") > asked);
    }

    // After a reconnection the history, served out of order and holding two lines already
    // shown, adds only the missed ones, in order, then their count; the first join reads none.
    void gapIsReadBackOnce() {
        VkVideoRig rig;
        rig.join();
        QVERIFY(!rig.server.steps.contains("http /v1/chat/messages"));
        rig.server.socket.send(pushOf(message(1, 100, "a")));
        rig.server.socket.send(pushOf(message(2, 101, "b")));
        QTRY_COMPARE(rig.log("chat").size(), 3);
        const Json history{message(4, 103, "d"), message(2, 101, "b"), message(3, 102, "c"),
                           message(1, 100, "a"), message(5, 102, "c2")};
        rig.server.api.route(
            "/v1/chat/messages", 200,
            QByteArray::fromStdString(Json{{"data", {{"chat_messages", history}}}}.dump()));
        rig.server.socket.closeClient(QWebSocketProtocol::CloseCode(3001));
        QTRY_VERIFY(rig.service.step() != Step::Live);
        for (int i = 0; i < 60 && !rig.server.steps.contains("http /v1/chat/messages"); ++i) {
            rig.tick();
            QTest::qWait(0);
        }
        QTRY_COMPARE(rig.log("chat").size(), 9);
        QCOMPARE(rig.log("chat").mid(4),
                 (QStringList{"- VK Video Live: мы на канале Streamer.One",
                              "[VK Video Live] Viewer_1: c", "[VK Video Live] Viewer_1: c2",
                              "[VK Video Live] Viewer_1: d",
                              "- VK Video Live: пропущенные сообщения показаны (3)"}));
    }

    // The streamer's line goes to the channel's stream as one text part; a refusal is said in
    // words; the line itself shows when the chat sends it back.
    void sendingSaysRefusals_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("said");
        QTest::newRow("sent") << 200 << QByteArray("{}") << QString();
        QTest::newRow("too fast") << 400 << QByteArray(R"({"error":"send_too_fast"})")
                                  << "VK Video Live: слишком часто";
        QTest::newRow("same") << 400 << QByteArray(R"({"error":"same_message"})")
                              << "VK Video Live: такое сообщение уже было";
        QTest::newRow("too long") << 400 << QByteArray(R"({"error":"message_too_long"})")
                                  << "VK Video Live: сообщение длиннее допустимого";
        QTest::newRow("forbidden") << 403 << QByteArray(R"({"error":"forbidden"})")
                                   << "VK Video Live: писать в этот чат нельзя";
    }
    void sendingSaysRefusals() {
        QFETCH(int, status);
        QFETCH(QByteArray, answer);
        QFETCH(QString, said);
        VkVideoRig rig;
        QVERIFY(!rig.service.send(QStringLiteral("early")));
        rig.join();
        rig.server.api.route("/v1/chat/message/send", status, answer);
        QSignalSpy statuses(&rig.service, &ChatService::status);
        const int before = rig.log("chat").size();
        QVERIFY(rig.service.send(QStringLiteral(" привет ")));
        QTRY_VERIFY(rig.server.steps.contains("http /v1/chat/message/send"));
        QVERIFY(rig.server.api.requests.last().contains(
            "stream_id=c0ffee00-1111-2222-3333-444455556666"));
        rig.settle();
        QCOMPARE(statuses.isEmpty() ? QString() : statuses.last().first().toString(), said);
        QCOMPARE(rig.log("chat").size(), before);
    }

    // Hostile text stays text; frames too big or too deep are dropped and the next one works.
    void hostileInputIsOnlyShown() {
        VkVideoRig rig;
        rig.join();
        QString evil = VkVideoServer::frame(2);
        evil.replace("Viewer_1", "<img src=x onerror=alert(1)>");
        rig.service.processFrame(QString(CentrifugoSession::kMaxFrameBytes + 1, ' '));
        rig.service.processFrame(QString(200, '[') + QString(200, ']'));
        rig.service.processFrame(evil);
        QCOMPARE(rig.log("error").count(), 2);
        QVERIFY(rig.chatHtml().last().contains("&lt;img src=x onerror=alert(1)&gt;"));
        QVERIFY(!rig.chatHtml().last().contains("<img src=x"));
    }
};

QTEST_MAIN(TestVkVideo)
#include "tst_vkvideo.moc"
