#include "common/clock.h"
#include "connection/serviceconnection.h"
#include "fakes/samples.h"
#include "fakes/chatcases.h"
#include "fakes/goodgamerig.h"
#include "fakes/mutants.h"
#include "fakes/tables.h"
#include "fakes/wsserver.h"

#include <QRandomGenerator>
#include <QSslKey>
#include <QWebSocketServer>
#include <QtTest>

namespace {
const char *const kWelcome =
    R"({"type":"welcome","data":{"protocolVersion":1.1,"serverIdent":"x"}})";
const char *const kWelcomeV2 = R"({"type":"welcome","data":{"protocolVersion":2}})";
const char *const kAuthAnswer =
    R"({"type":"success_auth","data":{"user_id":42,"user_name":"bot"}})";
const char *const kChatFrame = R"({"type":"message","data":{"channel_id":5,"user_name":"A",)"
                               R"("message_id":1,"text":"hi"}})";

const char *const kJoined =
    R"({"type":"success_join","data":{"channel_id":5,"channel_name":"Five"}})";

const QString kJoinFive =
    QStringLiteral(R"({"type":"join","data":{"channel_id":5,"hidden":false}})");

// A v2 chat line of viewer A, as sent live or kept in the history.
Json lineData(int id) {
    return {{"channel_id", 5}, {"user_name", "A"}, {"message_id", id},
            {"timestamp", 1714564800 + id}, {"text", "m" + std::to_string(id)}};
}
QString line(int id) {
    return qstr(Json{{"type", "message"}, {"data", lineData(id)}}.dump());
}
QString history(std::initializer_list<int> ids) {
    Json messages = Json::array();
    for (int id : ids)
        messages.push_back(lineData(id));
    return qstr(Json{{"type", "channel_history"},
                     {"data", Json{{"channel_id", 5}, {"messages", messages}}}}
                    .dump());
}

struct Session {
    WsServer socket;
    GoodgameRig rig{socket.url(QStringLiteral("/chat/websocket"))};
    QString welcome = QString::fromUtf8(kWelcome);

    Session() {
        rig.server.route("/ajax/chatlogin", 200, R"({"user_id":42,"token":"tok-1"})");
        rig.server.route("/js/minified/global.json", 200, testData("goodgame-global.json"));
    }

    // Connects, greets and answers the auth; the client then sends its next request.
    void authorize(const QString &channel) {
        rig.goodgame.connectToGoodgame(QStringLiteral("bot"), QStringLiteral("p@ss&word"), channel);
        QVERIFY(socket.waitForClient());
        socket.send(welcome);
        QTRY_COMPARE(socket.frames.size(), 1);
        QCOMPARE(socket.frames.at(0),
                 QStringLiteral(R"({"type":"auth","data":{"user_id":42,"token":"tok-1"}})"));
        socket.send(QString::fromUtf8(kAuthAnswer));
        QTRY_COMPARE(socket.frames.size(), 2);
    }

    // Joins channel 5 ("Five") and lets a supervisor tick follow.
    void join() {
        authorize(QStringLiteral("5"));
        socket.send(QString::fromUtf8(kJoined));
        QTRY_COMPARE(rig.goodgame.step(), Goodgame::Step::Chat);
    }

    // One second of the window's watchdog.
    void tick() {
        rig.clock.advance(ServiceConnection::TICK_MS);
        rig.goodgame.tick();
    }

    // Answers the welcome, auth and join of the client's next session.
    void answerNewSession() {
        QTRY_COMPARE(socket.connections, 2);
        socket.frames.clear();
        socket.send(welcome);
        QTRY_COMPARE(socket.frames.size(), 1);
        QVERIFY(socket.frames.at(0).startsWith(QLatin1String(R"({"type":"auth")")));
        socket.send(QString::fromUtf8(kAuthAnswer));
        QTRY_COMPARE(socket.frames.size(), 2);
        QCOMPARE(socket.frames.at(1), kJoinFive);
        socket.send(QString::fromUtf8(kJoined));
    }

    // A v2 session that showed lines 1 and 2, lost its link and is back, asking for the history.
    void backAfterAnOutage() {
        welcome = QString::fromUtf8(kWelcomeV2);
        join();
        socket.send(line(1));
        socket.send(line(2));
        QTRY_COMPARE(rig.log("chat").size(), 3);
        socket.closeClient();
        QTRY_COMPARE(rig.goodgame.connection().stateName(), QStringLiteral("reconnecting"));
        tick();
        answerNewSession();
        QTRY_COMPARE(socket.frames.size(), 3);
        QCOMPARE(socket.frames.at(2),
                 QStringLiteral(R"({"type":"get_channel_history","data":{"channel_id":5}})"));
    }

    // The chat log's viewer lines and the counts Kestro wrote, in order.
    QStringList shown() const {
        QStringList lines = rig.log("chat").filter(QRegularExpression("m\\d+$|пропущенные"));
        lines.replaceInStrings(QStringLiteral("[GoodGame] A: "), QString());
        return lines;
    }

    QString allLogs() const {
        QString text;
        for (const char *channel : {"raw", "chat", "event", "error", "debug"})
            text += QString::fromUtf8(rig.logBytes(channel));
        return text;
    }
};
} // namespace

class TestGoodgame : public QObject {
    Q_OBJECT
private slots:
    void frames_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<ChatCase>("expected");
        for (const auto &[version, file] : {std::pair(1, "/goodgame-frames.txt"),
                                            std::pair(2, "/goodgame-v2-frames.txt")}) {
            for (const auto &[name, expected] : readChatCases(TEST_DATA + QString(file)))
                QTest::newRow(qPrintable(QStringLiteral("v%1 ").arg(version) + name))
                    << version << expected;
        }
    }

    void frames() {
        QFETCH(int, version);
        QFETCH(ChatCase, expected);
        GoodgameRig rig;
        rig.loadSmiles(testData("goodgame-global.json"));
        rig.goodgame.readFramesAt(Goodgame::Step::Chat, version);
        for (const QString &frame : expected.input)
            rig.goodgame.processMessage(frame);
        verifyChatCase(rig, expected, QStringLiteral("Goodgame >> "));
    }

    void numericChannelJoinsAfterAuthAndStaysAwake() {
        Session session;
        Goodgame &goodgame = session.rig.goodgame;
        QSignalSpy status(&goodgame, &Goodgame::status);
        session.authorize(QStringLiteral("5"));
        QVERIFY(goodgame.running());
        QCOMPARE(session.socket.frames.at(1), kJoinFive);
        QCOMPARE(goodgame.step(), Goodgame::Step::Login);

        const QByteArray login = session.rig.server.fullRequests.at(
            session.rig.server.requests.indexOf("/ajax/chatlogin"));
        QVERIFY(login.startsWith("POST /ajax/chatlogin "));
        QVERIFY(login.toLower().contains("content-type: application/x-www-form-urlencoded"));
        QVERIFY(login.endsWith("\r\n\r\nlogin=bot&password=p%40ss%26word"));

        session.socket.send(QStringLiteral(
            R"({"type":"success_join","data":{"channel_id":5,"channel_name":"Мой\r\nканал\nX"}})"));
        QTRY_COMPARE(goodgame.step(), Goodgame::Step::Chat);
        QCOMPARE(goodgame.channelName(), QStringLiteral("Мой канал X"));
        session.socket.send(QString::fromUtf8(kChatFrame));
        QTRY_COMPARE(session.rig.log("chat").size(), 2);

        QCOMPARE(session.rig.log("chat"),
                 (QStringList{"- GoodGame: заходим на канал &laquo;Мой канал X&raquo;",
                              "[GoodGame] A: hi"}));
        // The streamer's line goes to the channel; GoodGame sends it back as a message.
        QVERIFY(goodgame.send(QStringLiteral(" \"hi\" all ")));
        QTRY_COMPARE(session.socket.frames.last(),
                     QStringLiteral("{\"type\":\"send_message\",\"data\":{\"channel_id\":5,"
                                    "\"text\":\"\\\"hi\\\" all\",\"hideIcon\":false,"
                                    "\"mobile\":false}}"));
        QCOMPARE(session.rig.log("chat").size(), 2);

        goodgame.disconnectFromGoodgame();
        QCOMPARE(goodgame.running(), false);
        QCOMPARE(status.last().at(0).toString(),
                 QStringLiteral("GoodGame: отключаемся от сервера"));
        QCOMPARE(session.rig.log("chat").last(),
                 QStringLiteral("- GoodGame: уходим с канала &laquo;Мой канал X&raquo;"));
        QVERIFY(!session.allLogs().contains(QStringLiteral("p@ss")));
        QVERIFY(!session.allLogs().contains(QStringLiteral("p%40ss")));
    }

    void namedChannelIsLookedUp_data() {
        addTableRows("goodgame-channel-lookups.tsv", {"list", "join"});
    }

    void namedChannelIsLookedUp() {
        QFETCH(QString, list);
        QFETCH(QString, join);
        Session session;
        session.authorize(QStringLiteral("Mine"));
        QCOMPARE(session.socket.frames.at(1),
                 QStringLiteral(R"({"type":"get_channels_list","data":{"start":0,"count":50}})"));
        session.socket.send(list);
        if (join.isEmpty()) {
            QTRY_COMPARE(session.rig.log("raw").size(), 3);
            QCOMPARE(session.rig.goodgame.step(), Goodgame::Step::Channel);
            QCOMPARE(session.socket.frames.size(), 2);
        } else {
            QTRY_COMPARE(session.socket.frames.size(), 3);
            QCOMPARE(session.socket.frames.at(2), join);
            QCOMPARE(session.rig.goodgame.step(), Goodgame::Step::Login);
        }
    }

    void failedLoginStaysInAuth_data() {
        addTableRows("goodgame-failed-logins.tsv", {"status", "body"});
    }

    void failedLoginStaysInAuth() {
        QFETCH(QString, status);
        QFETCH(QString, body);
        Session session;
        session.rig.server.route("/ajax/chatlogin", status.toInt(), body.toUtf8());
        QSignalSpy handled(&session.rig.http, &Http::handled);
        session.rig.goodgame.connectToGoodgame("bot", "secret", "5");
        QVERIFY(session.socket.waitForClient());
        session.socket.send(QString::fromUtf8(kWelcome));
        QTRY_COMPARE(handled.size(), 2); // the smile catalogue and the chat login
        QCOMPARE(session.rig.goodgame.step(), Goodgame::Step::Auth);
        QVERIFY(session.socket.frames.isEmpty());
    }

    // A chat login that gets no answer holds the chat up: said once in the status line and the
    // error log, sent again a second later, and the session goes on once the site answers.
    void unansweredLoginIsSentAgain() {
        Session session;
        session.rig.server.stall("/ajax/chatlogin", HttpServer::Stall::Silent);
        QSignalSpy status(&session.rig.goodgame, &Goodgame::status);
        session.rig.goodgame.connectToGoodgame("bot", "secret", "5");
        QVERIFY(session.socket.waitForClient());
        session.socket.send(QString::fromUtf8(kWelcome));
        QTRY_COMPARE(session.rig.server.requests.count("/ajax/chatlogin"), 1);
        // Every deadline so far passes: the smile catalogue's had its answer already.
        while (session.rig.httpScheduler.run(Http::kTimeoutMs))
            ;
        const QString words =
            QStringLiteral("GoodGame: 127.0.0.1 не ответил за 15 с, пробуем снова через 1 с");
        QTRY_COMPARE(session.rig.log("error"), QStringList{words});
        QCOMPARE(status.last().first().toString(), words);
        session.rig.server.stall("/ajax/chatlogin", HttpServer::Stall::None);
        QVERIFY(session.rig.httpScheduler.run(Http::kFirstRetryMs));
        QTRY_COMPARE(session.socket.frames.size(), 1);
        QCOMPARE(session.socket.frames.at(0),
                 QStringLiteral(R"({"type":"auth","data":{"user_id":42,"token":"tok-1"}})"));
    }

    // A quiet channel on a live server: the probe is answered, nothing reconnects. Version 2
    // pings, with the counters beside until a ping is answered.
    void quietChannelStaysJoined_data() {
        addTableRows("goodgame-quiet-channel.tsv",
                     {"protocol", "asked", "answer", "counters", "pings"});
    }
    void quietChannelStaysJoined() {
        QFETCH(QString, protocol);
        QFETCH(QString, asked);
        QFETCH(QString, answer);
        QFETCH(QString, counters);
        QFETCH(QString, pings);
        Session session;
        session.welcome = QString::fromUtf8(protocol == QLatin1String("v2") ? kWelcomeV2 : kWelcome);
        session.join();
        session.socket.onFrame = [&](const QString &frame) {
            if (frame.contains(asked))
                session.socket.send(answer);
        };
        for (int second = 1; second <= 600; ++second) {
            session.tick();
            if (second % 60 == 0) // answered at once, so silence is a minute again
                QTRY_COMPARE(session.rig.log("raw").size(), 3 + second / 60);
        }
        QCOMPARE(session.socket.frames.filter("get_channel_counters").size(), counters.toInt());
        QCOMPARE(session.socket.frames.filter(R"({"type":"ping","data":{}})").size(), pings.toInt());
        QCOMPARE(session.socket.connections, 1);
        QCOMPARE(session.rig.log("chat").size(), 1);
        QCOMPARE(session.rig.goodgame.step(), Goodgame::Step::Chat);
    }

    // A close or a half-open link: a whole new session (login, auth, join) on a new socket.
    void lostChatComesBack_data() {
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("seconds");
        QTest::newRow("server closes") << true << 1;
        QTest::newRow("half-open") << false << 75;
    }
    void lostChatComesBack() {
        QFETCH(bool, closed);
        QFETCH(int, seconds);
        Session session;
        session.join();
        if (closed) {
            session.socket.closeClient();
            QTRY_COMPARE(session.rig.goodgame.connection().stateName(),
                         QStringLiteral("reconnecting"));
        }
        for (int second = 0; second < seconds - 1; ++second)
            session.tick();
        QCOMPARE(session.socket.connections, 1);
        session.tick();
        QVERIFY(session.rig.goodgame.running());
        session.answerNewSession();
        QCOMPARE(session.rig.server.requests.count("/ajax/chatlogin"), 2);
        session.socket.send(QString::fromUtf8(kChatFrame));
        QTRY_COMPARE(session.rig.log("chat").size(), 4);
        QCOMPARE(
            session.rig.log("chat"),
            (QStringList{"- GoodGame: заходим на канал &laquo;Five&raquo;",
                         "- GoodGame: связь потеряна, переподключаемся",
                         "- GoodGame: не спим на канале &laquo;Five&raquo;", "[GoodGame] A: hi"}));
    }

    // After a reconnection the missed lines come from the history: in order, each once, a line
    // removed meanwhile struck, live lines after them.
    void gapIsFilledOnce() {
        Session session;
        session.backAfterAnOutage();
        session.socket.send(QStringLiteral(
            R"({"type":"remove_message","data":{"channel_id":5,"message_id":4}})"));
        session.socket.send(line(6));
        session.socket.send(history({1, 2, 3, 5, 4, 6}));
        QTRY_COMPARE(session.shown().size(), 7);
        QCOMPARE(session.shown(), (QStringList{"m1", "m2", "m3", "m4", "m5",
                                               "- GoodGame: пропущенные сообщения показаны (3)", "m6"}));
        const QStringList events = session.rig.sink.events;
        QCOMPARE(events.indexOf("strike message goodgame 4", events.indexOf(QRegularExpression(".*\"m4\"$"))),
                 events.indexOf(QRegularExpression(".*\"m4\"$")) + 1);
        QCOMPARE(session.rig.alerts.QUEUE().size(), 0);
    }

    // Live lines wait for the history only so long: the first join's history shows nothing, and
    // one that never comes or cannot be read lets them through.
    void historyWaitsNoLonger_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("no answer") << QString() << 10 << QStringList{};
        QTest::newRow("absurd size")
            << QStringLiteral("{\"type\":\"channel_history\",\"data\":{\"messages\":[\"") +
                   QString(1 << 20, 'x') + "\"]}}"
            << 0 << QStringList{"ОШИБКА: кадр GoodGame длиннее 1024 КБ, отброшен"};
        QTest::newRow("absurd depth")
            << R"({"type":"channel_history","data":{"messages":)" + QString(100000, '[') +
                   QString(100000, ']') + "}}"
            << 0 << QStringList{"ОШИБКА: кадр GoodGame вложен глубже 64 уровней, отброшен"};
    }
    void historyWaitsNoLonger() {
        QFETCH(QString, reply);
        QFETCH(int, seconds);
        QFETCH(QStringList, errors);
        Session session;
        session.backAfterAnOutage();
        session.socket.send(line(3));
        if (!reply.isEmpty())
            session.socket.send(reply);
        QTRY_VERIFY(session.rig.log("raw").contains("Goodgame >> " + line(3)));
        QTRY_COMPARE(session.rig.log("error"), errors);
        for (int second = 0; second < seconds; ++second) {
            QCOMPARE(session.shown(), (QStringList{"m1", "m2"}));
            session.tick();
        }
        QTRY_COMPARE(session.shown(), (QStringList{"m1", "m2", "m3"}));
        QCOMPARE(session.rig.log("error"), errors);
    }

    void firstJoinShowsNoHistory() {
        Session session;
        session.welcome = QString::fromUtf8(kWelcomeV2);
        session.join();
        session.socket.send(QStringLiteral(
            R"({"type":"channel_history","data":{"channel_id":5,"messages":[{"message_id":1,"text":"old"}]}})"));
        session.socket.send(line(2));
        QTRY_COMPARE(session.shown(), QStringList{"m2"});
        QVERIFY(session.socket.frames.filter("get_channel_history").isEmpty());
    }

    // A server whose certificate cannot be verified hears nothing: no login, no password.
    void untrustedChatServerGetsNoLogin() {
        QWebSocketServer tls(QStringLiteral("fake"), QWebSocketServer::SecureMode);
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        QFile key(QStringLiteral(TEST_DATA "/tls-test.key"));
        QFile certificate(QStringLiteral(TEST_DATA "/tls-test.crt"));
        QVERIFY(key.open(QIODevice::ReadOnly) && certificate.open(QIODevice::ReadOnly));
        config.setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
        config.setLocalCertificate(QSslCertificate(certificate.readAll()));
        tls.setSslConfiguration(config);
        QVERIFY(tls.listen(QHostAddress::LocalHost));
        QStringList heard;
        QObject::connect(&tls, &QWebSocketServer::newConnection, [&] {
            QWebSocket *client = tls.nextPendingConnection();
            QObject::connect(client, &QWebSocket::textMessageReceived,
                             [&](const QString &frame) { heard << frame; });
            client->sendTextMessage(QString::fromUtf8(kWelcome));
        });
        GoodgameRig rig(
            QUrl(QStringLiteral("wss://127.0.0.1:%1/chat/websocket").arg(tls.serverPort())));
        rig.server.route("/ajax/chatlogin", 200, R"({"user_id":42,"token":"tok-1"})");
        rig.goodgame.connectToGoodgame("bot", "secret", "5");
        // The handshake failed before any frame could go out, and the socket is gone.
        QTRY_COMPARE(rig.goodgame.connection().stateName(), QStringLiteral("reconnecting"));
        QVERIFY(heard.isEmpty());
        QVERIFY(!rig.server.requests.contains("/ajax/chatlogin"));
        QCOMPARE(rig.goodgame.step(), Goodgame::Step::Connect);
    }

    // Test frames are shown in any state of the session, which they leave as it was.
    void testFramesDoNotMoveTheWatch() {
        GoodgameRig rig;
        rig.goodgame.readFramesAt(Goodgame::Step::Login);
        rig.goodgame.processMessage(QString::fromUtf8(kChatFrame), true);
        QCOMPARE(rig.log("chat").size(), 1);
        QCOMPARE(rig.goodgame.step(), Goodgame::Step::Login);
    }

    void brokenCatalogueKeepsTheSmiles_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::newRow("the old script") << QByteArray("var Global = {Smiles: []};");
        QTest::newRow("cut off") << QByteArray(R"({"Smiles": [{"name": "x")");
        QTest::newRow("too deep") << R"({"Smiles":)" + QByteArray(100000, '[') +
                                         QByteArray(100000, ']') + "}";
        QTest::newRow("not a record") << QByteArray("5");
        QTest::newRow("an array") << QByteArray(R"([{"name":"x"}])");
    }

    void brokenCatalogueKeepsTheSmiles() {
        QFETCH(QByteArray, script);
        GoodgameRig rig;
        rig.loadSmiles(testData("goodgame-global.json"));
        const auto before = rig.goodgame.smiles().keys();
        rig.refuseSmiles(script);
        QVERIFY(rig.log("error").last().startsWith(QStringLiteral("ОШИБКА: ")));
        QCOMPARE(rig.goodgame.smiles().keys(), before);
    }

    void catalogueRequestBustsTheCache() {
        GoodgameRig rig;
        rig.loadSmiles(testData("goodgame-global.json"));
        QCOMPARE(rig.server.requests.last(), "/js/minified/global.json?1714564800000");
        QCOMPARE(rig.goodgame.smiles().value("paid3").donat.value_or(-1), 3);
        QCOMPARE(rig.goodgame.smiles().value("still").channel, QStringLiteral("0"));
        QVERIFY(rig.goodgame.smiles().value("still").animated.isEmpty());
    }

    // Mutated and hostile frames in every state: no crash, and the next good frame still works.
    void survivesMutatedFrames() {
        GoodgameRig rig;
        rig.loadSmiles(testData("goodgame-global.json"));
        QStringList frames;
        for (const auto &entry : readChatCases(TEST_DATA "/goodgame-frames.txt"))
            frames << entry.second.input;
        frames << "{\"type\":\"message\",\"data\":{\"text\":\"" + QString(200000, ':') + "\"}}"
               << "{\"type\":\"message\",\"data\":{\"text\":\":" + QString(10000, 'a') + ":\"}}"
               << R"({"type":"message","data":{"premiums":5,"resubs":null,"payments":"x"}})";
        using Step = Goodgame::Step;
        const QList<Step> steps{Step::Connect, Step::Auth, Step::Channel, Step::Login, Step::Chat};
        QRandomGenerator state(7);
        feedMutants(frames, QStringLiteral("{}[]\":,0123456789.-eE truefalsnul\\"), 7,
                    [&](const QString &frame) {
                        rig.goodgame.readFramesAt(steps.at(state.bounded(int(steps.size()))));
                        rig.goodgame.processMessage(frame);
                    });
        rig.shown.clear();
        rig.goodgame.readFramesAt(Goodgame::Step::Chat);
        rig.goodgame.processMessage(QString::fromUtf8(kChatFrame));
        QCOMPARE(rig.chatHtml().size(), 1);
    }
};

QTEST_MAIN(TestGoodgame)
#include "tst_goodgame.moc"
