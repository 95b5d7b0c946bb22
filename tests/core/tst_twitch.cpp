#include "fakes/chatcases.h"
#include "fakes/httpserver.h"
#include "fakes/ircserver.h"
#include "fakes/twitchrig.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
void knowBadges(Twitch &twitch) {
    twitch.globalBadges["subscriber"]["12"] = "sub12id";
    twitch.globalBadges["premium"]["1"] = "prime1id";
}
} // namespace

class TestTwitch : public QObject {
    Q_OBJECT
private slots:
    void lines_data() { addChatCases(TEST_DATA "/twitch-lines.txt"); }

    void lines() {
        QFETCH(ChatCase, expected);
        TwitchRig rig;
        knowBadges(rig.twitch);
        rig.config.set("{\"view\":{\"addressed\":{\"words\":[\"streamer\"]}},\"alerts\":{\"voice\":"
                       "\"random\"}}");
        rig.utils.loadConfig();
        for (const QString &line : expected.input)
            rig.twitch.processMessage(line);
        verifyChatCase(rig, expected, QStringLiteral("Twitch >> "));
    }

    void everyLineIsStampedAndShownUnlessInTest() {
        TwitchRig rig;
        QSignalSpy status(&rig.twitch, &Twitch::status);
        rig.twitch.processMessage("@x=1 :tmi.twitch.tv TEST #chan", true);
        QCOMPARE(rig.twitch.lastServerMessage, 0);
        rig.twitch.processMessage(":tmi.twitch.tv 001 bot :hi");
        QCOMPARE(rig.twitch.lastServerMessage, rig.clock.now());
        QCOMPARE(status.size(), 2);
        QCOMPARE(status.last().at(0).toString(),
                 QStringLiteral("Twitch: :tmi.twitch.tv 001 bot :hi"));
    }

    void pingIsAnswered() {
        TwitchRig rig;
        IrcServer server;
        rig.socket.start("127.0.0.1", server.port(), "bot", "t", "chan");
        QVERIFY(server.accept());
        QSignalSpy connected(&rig.socket, &TwitchSocket::connected);
        QVERIFY(connected.wait(5000));
        rig.twitch.processMessage("PING :abc");
        QVERIFY(server.receivedAtLeast(200).endsWith("JOIN #chan\r\nPONG :abc\r\n"));
        QCOMPARE(rig.log("raw"), (QStringList{"Twitch >> PING :abc", "Twitch << PONG :abc"}));
    }

    void roomStateDuringReconnectIsSwallowed() {
        TwitchRig rig;
        rig.twitch.reconnecting = true;
        rig.twitch.processMessage("@room-id=5;slow=10 :tmi.twitch.tv ROOMSTATE #chan");
        QCOMPARE(rig.twitch.reconnecting, false);
        QCOMPARE(rig.twitch.channelID, 0);
        QVERIFY(rig.chatView.scripts.isEmpty());
    }

    void userStateAndOwnMessage() {
        TwitchRig rig;
        knowBadges(rig.twitch);
        rig.twitch.processMessage(
            "@badge-info=;badges=premium/1;color=#0000FF;display-name=Bot;emote-sets=0 "
            ":tmi.twitch.tv USERSTATE #chan");
        rig.chatInput.setText("  hello 'world'  ");
        rig.twitch.sendMessageToChat();
        QCOMPARE(rig.chatInput.text(), QString());
        QCOMPARE(rig.log("chat"), QStringList{"[Twitch] Bot: hello 'world'"});
        QVERIFY(rig.log("raw").contains("Twitch << PRIVMSG #chan :hello 'world'"));
        QCOMPARE(rig.chatHtml().first(),
                 QStringLiteral(
                     "<img src=\"qrc:/images/Twitch.badge.png\" class=\"badge\" title=\"Twitch\"> "
                     "<img src=\"https://static-cdn.jtvnw.net/badges/v1/prime1id/1\" "
                     "class=\"badge\" title=\"Badge: premium\"> "
                     "<span style=\"color:#0000FF;\" title=\"Ник: Bot\">Bot</span><span>: hello "
                     "'world'</span>"));
        rig.chatInput.setText("   ");
        rig.twitch.sendMessageToChat();
        QCOMPARE(rig.log("chat").size(), 1);
    }

    void followers_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("two followers")
            << "{\"data\":[{\"from_name\":\"Ann\"},{\"from_name\":\"Bob\"}]}"
            << QStringList{"[Twitch] У нас новый фолловер - Ann!",
                           "[Twitch] У нас новый фолловер - Bob!"};
        QTest::newRow("not json") << "data" << QStringList{};
        QTest::newRow("nested past the limit")
            << "{\"data\":[{\"from_name\":\"A\"}],\"x\":" + QString(100000, QLatin1Char('[')) +
                   QString(100000, QLatin1Char(']')) + "}"
            << QStringList{};
        QTest::newRow("no data") << "{\"x\":[]}" << QStringList{};
        QTest::newRow("odd elements skipped")
            << "{\"data\":[1,{\"from_name\":3},{\"from_name\":\"C\"}]}"
            << QStringList{"[Twitch] У нас новый фолловер - C!"};
    }

    void followers() {
        QFETCH(QString, message);
        QFETCH(QStringList, events);
        TwitchRig rig;
        rig.twitch.newFollower(message);
        QCOMPARE(rig.log("event"), events);
        QCOMPARE(rig.alerts.QUEUE().size(), events.size());
        for (const AlertRecord &record : rig.alerts.QUEUE())
            QVERIFY(record.type == "follow" && !record.text);
    }

    void placeBadges_data() {
        QTest::addColumn<QString>("tags");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("months from badge info")
            << "badges=subscriber/12,premium/1;badge-info=subscriber/14"
            << QStringList{"Twitch", "Badge: subscriber - 14", "Badge: premium"};
        QTest::newRow("global fallback per version")
            << "badges=subscriber/3" << QStringList{"Twitch", "Badge: subscriber"};
        QTest::newRow("unknown badge left out")
            << "badges=vip/1,subscriber/99" << QStringList{"Twitch"};
        QTest::newRow("no badges") << "badges=" << QStringList{"Twitch"};
        QTest::newRow("version defaults to 1")
            << "badges=premium" << QStringList{"Twitch", "Badge: premium"};
    }

    void placeBadges() {
        QFETCH(QString, tags);
        QFETCH(QStringList, titles);
        TwitchRig rig;
        knowBadges(rig.twitch);
        rig.twitch.channelBadges["subscriber"]["12"] = "chan12";
        rig.twitch.globalBadges["subscriber"]["3"] = "glob3";
        QStringList result;
        for (const MessagePart &part : rig.twitch.placeBadges(Twitch::msgTags(tags)))
            result << part.title.value_or(QString());
        QCOMPARE(result, titles);
        QCOMPARE(rig.twitch.buildTwitchBadgeURL("subscriber", "12"),
                 QStringLiteral("https://static-cdn.jtvnw.net/badges/v1/chan12/1"));
    }

    void msgTags() {
        const TagMap tags = Twitch::msgTags("a=1;b=;c;d=x=y;e=\\s");
        QCOMPARE(tags.value("a"), QStringLiteral("1"));
        QVERIFY(tags.contains("b") && tags.value("b").isEmpty());
        QVERIFY(!tags.contains("c"));
        QCOMPARE(tags.value("d"), QStringLiteral("x"));
        QCOMPARE(tags.value("e"), QStringLiteral("\\s"));
    }

    void placeEmotes() {
        QStringList ranges;
        for (const EmoteRange &range :
             Twitch::placeEmotes("25:0-4,12-16/1902:6-10/x:a-b/33:20-21:junk"))
            ranges << QStringLiteral("%1-%2:%3").arg(range.bpos).arg(range.epos).arg(range.id);
        QCOMPARE(ranges, (QStringList{"0-4:25", "6-10:1902", "12-16:25", "20-21:33"}));
    }

    void twitchMessageParts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("emotes");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("emote alone") << "Kappa"
                                     << "25:0-4" << QStringList{" ", "[Kappa]", " "};
        QTest::newRow("two spaces") << "hi  there"
                                    << "" << QStringList{"hi ", " ", "there "};
        QTest::newRow("adjacent emotes")
            << "KappaKappa"
            << "25:0-4,5-9" << QStringList{" ", "[Kappa]", " ", "[Kappa]", " "};
        QTest::newRow("emoji before the emote")
            << "😀 Kappa"
            << "25:2-6" << QStringList{"😀 ", " ", "[Kappa]", " "};
        QTest::newRow("range past the end left out") << "hi"
                                                     << "25:0-9" << QStringList{"hi "};
        QTest::newRow("overlapping range left out")
            << "Kappa x"
            << "25:0-4,3-6" << QStringList{" ", "[Kappa]", " ", "x "};
        QTest::newRow("backwards range left out") << "abc"
                                                  << "25:2-1" << QStringList{"abc "};
        QTest::newRow("bttv words and overlay") << "pepeD IceCold x"
                                                << "" << QStringList{"[pepeD]", "[IceCold]", "x "};
        QTest::newRow("ffz word, case sensitive") << "LuL lul"
                                                  << "" << QStringList{"[LuL]", "lul "};
    }

    void twitchMessageParts() {
        QFETCH(QString, text);
        QFETCH(QString, emotes);
        QFETCH(QStringList, parts);
        HttpServer server;
        server.route("/3/cached/emotes/global", 200,
                     "[{\"id\":\"b1\",\"code\":\"pepeD\"},{\"id\":\"b2\",\"code\":\"IceCold\"}]");
        server.route("/v1/set/global", 200,
                     "{\"sets\":{\"3\":{\"emoticons\":[{\"name\":\"LuL\",\"urls\":{\"1\":\"//"
                     "cdn.ffz/l\"}}]}}}");
        TwitchRig rig(server.url());
        rig.bttv.loadGlobalEmotes();
        rig.ffz.loadGlobalEmotes();
        QTRY_VERIFY(rig.bttv.globalEmotes().size() == 2 && rig.ffz.globalEmotes().size() == 1);
        QStringList result;
        for (const MessagePart &part : rig.twitch.twitchMessage(text, Twitch::placeEmotes(emotes)))
            result << (part.type == "image" ? "[" + part.original + "]" : part.text);
        QCOMPARE(result, parts);
    }

    void badgeLoaders() {
        HttpServer server;
        const QByteArray sets =
            "{\"badge_sets\":{\"subscriber\":{\"versions\":{"
            "\"0\":{\"image_url_1x\":\"https://static-cdn.jtvnw.net/badges/v1/"
            "5d9f2208-5dd8-11e7-8513-2ff4adfae661/1\"},"
            "\"3\":{\"image_url_1x\":\"https://elsewhere.example/badges/v1/abc/1\"},"
            "\"6\":{}}},\"vip\":{},\"mod\":[]}}";
        server.route("/v1/badges/global/display", 200, sets);
        server.route("/v1/badges/channels/77/display", 500, sets);
        TwitchRig rig(server.url());
        rig.twitch.channelID = 77;
        rig.twitch.loadGlobalBadges();
        rig.twitch.loadChannelBadges();
        QTRY_COMPARE(server.requests.size(), 2);
        QTRY_COMPARE(rig.twitch.globalBadges.value("subscriber").size(), 1);
        QCOMPARE(rig.twitch.globalBadges["subscriber"]["0"],
                 QStringLiteral("5d9f2208-5dd8-11e7-8513-2ff4adfae661"));
        QTest::qWait(50);
        QVERIFY(rig.twitch.channelBadges.isEmpty());
    }

    void emoteSetRules() {
        HttpServer server;
        server.route("/3/cached/emotes/global", 200,
                     "[{\"id\":\"g\",\"code\":\"Same\"},{\"id\":\"g2\",\"code\":\"Both\"}]");
        server.route("/3/cached/users/twitch/9", 200,
                     "{\"channelEmotes\":[{\"id\":\"c\",\"code\":\"Same\"}],\"sharedEmotes\":[{"
                     "\"id\":\"s\",\"code\":\"SoSnowy\"}]}");
        server.route("/v1/set/global", 404, "");
        server.route(
            "/v1/user/id/9", 200,
            "{\"sets\":{\"1\":{\"emoticons\":[{\"name\":\"Both\",\"urls\":{\"1\":\"//f/"
            "1\"}},{\"name\":\"One\",\"urls\":{\"1\":\"//f/2\"}}]},"
            "\"2\":{\"emoticons\":[{\"name\":\"Two\",\"urls\":{\"1\":\"//f/"
            "3\"}},{\"name\":\"Broken\"},{\"name\":\"Never\",\"urls\":{\"1\":\"//f/4\"}}]},"
            "\"3\":{\"emoticons\":[{\"name\":\"Later\",\"urls\":{\"1\":\"//f/5\"}}]}}}");
        TwitchRig rig(server.url());
        QTest::ignoreMessage(QtWarningMsg, "Ошибка FFZ (global): статус ответа - 404");
        rig.bttv.loadGlobalEmotes();
        rig.bttv.loadChannelEmotes(9);
        rig.ffz.loadGlobalEmotes();
        rig.ffz.loadChannelEmotes(9);
        QTRY_COMPARE(server.requests.size(), 4);
        QTRY_VERIFY(rig.ffz.channelEmotes().size() == 3 && rig.bttv.channelEmotes().size() == 2);

        QCOMPARE(rig.bttv.placeEmotes("Same")->url,
                 QStringLiteral("https://cdn.betterttv.net/emote/c/1x"));
        QCOMPARE(rig.bttv.placeEmotes("Both")->title, std::optional<QString>("BTTV: Both"));
        QCOMPARE(rig.bttv.placeEmotes("SoSnowy")->classes,
                 (QStringList{"emote", "with-offset", "sosnowy"}));
        QCOMPARE(rig.bttv.placeEmotes("Same")->classes, QStringList{"emote"});
        QVERIFY(!rig.bttv.placeEmotes("same"));
        QCOMPARE(rig.ffz.placeEmotes("Two")->url, QStringLiteral("https://f/3"));
        QVERIFY(!rig.ffz.placeEmotes("Never") && !rig.ffz.placeEmotes("Later"));
        QCOMPARE(rig.log("error"), QStringList{});
    }

    void channelErrorsAreLogged_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("non-200") << 503 << QByteArray("{}")
                                 << QStringList{"Ошибка BTTV (channel): статус ответа - 503",
                                                "Ошибка FFZ (channel): статус ответа - 503"};
        QTest::newRow("not json") << 200 << QByteArray("<html>") << QStringList{};
        QTest::newRow("wrong shape")
            << 200 << QByteArray("{\"channelEmotes\":5,\"sharedEmotes\":[1],\"sets\":[]}")
            << QStringList{};
    }

    void channelErrorsAreLogged() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QStringList, errors);
        HttpServer server;
        server.route("/3/cached/users/twitch/9", status, body);
        server.route("/v1/user/id/9", status, body);
        TwitchRig rig(server.url());
        if (status != 200 || body.startsWith('<')) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Ошибка BTTV"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Ошибка FFZ"));
        }
        rig.bttv.loadChannelEmotes(9);
        rig.ffz.loadChannelEmotes(9);
        QTRY_COMPARE(server.requests.size(), 2);
        QTest::qWait(50);
        QCOMPARE(rig.log("error"), errors);
        QVERIFY(rig.bttv.channelEmotes().isEmpty() && rig.ffz.channelEmotes().isEmpty());
    }

    // Random and mutated lines: nothing may crash or hang, and a good line still works after.
    void fuzz() {
        TwitchRig rig;
        knowBadges(rig.twitch);
        QList<QString> seeds;
        for (const auto &entry : readChatCases(TEST_DATA "/twitch-lines.txt"))
            seeds << entry.second.input;
        QRandomGenerator random(1234);
        const QString alphabet =
            QStringLiteral("@:;=/,- !#x0123456789\x01ACTIONPRIVMSGUSERNOTICEbits\\sé😀");
        QElapsedTimer timer;
        timer.start();
        int lines = 0;
        while (timer.elapsed() < 2000) {
            QString line = seeds.at(random.bounded(seeds.size()));
            const int edits = random.bounded(8);
            for (int i = 0; i < edits && !line.isEmpty(); ++i) {
                const int at = random.bounded(line.size());
                switch (random.bounded(3)) {
                case 0:
                    line.remove(at, random.bounded(1, 20));
                    break;
                case 1:
                    line.insert(at, alphabet.at(random.bounded(alphabet.size())));
                    break;
                default:
                    line.insert(at, line.mid(random.bounded(line.size()), random.bounded(30)));
                    break;
                }
            }
            rig.twitch.processMessage(line);
            ++lines;
        }
        rig.chatView.scripts.clear();
        rig.twitch.processMessage(
            "@badges=;display-name=ok;id=z :ok!ok@ok PRIVMSG #chan :still fine");
        QCOMPARE(rig.chatView.scripts.size(), 1);
        QVERIFY(lines > 1000);
    }
};

QTEST_GUILESS_MAIN(TestTwitch)
#include "tst_twitch.moc"
