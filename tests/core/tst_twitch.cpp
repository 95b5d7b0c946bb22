#include "fakes/chatcases.h"
#include "fakes/httpserver.h"
#include "fakes/ircserver.h"
#include "fakes/mutants.h"
#include "fakes/samples.h"
#include "fakes/tables.h"
#include "fakes/twitchrig.h"
#include "fakes/wsserver.h"

#include <QtTest>

namespace {

const QString kStoredToken =
    QStringLiteral("{\"services\":{\"twitch\":{\"password\":\"oauth:s3cret\"}}}");
const QString kLoggedIn =
    QStringLiteral(R"({"services":{"twitch":{"auth":{"access_token":"A1","refresh_token":"R1",)"
                   R"("expires_at":1714579200,"login":"ynot01"}}}})");

// A Helix badge reply naming one image a (set, version).
Json badgeReply(std::initializer_list<std::array<const char *, 3>> badges) {
    Json sets = Json::array();
    for (const auto &[set, version, id] : badges)
        sets.push_back({{"set_id", set},
                        {"versions",
                         {{{"id", version},
                           {"image_url_1x", std::string("https://static-cdn.jtvnw.net/badges/v1/") +
                                                id + "/1"}}}}});
    return Json{{"data", sets}};
}

// A community gift's announcement and one of its gifts, as Twitch sends them.
QString bombLine(const QString &gifter, int count, const QString &id) {
    return QStringLiteral("@badge-info=;badges=;color=#1E90FF;display-name=%1;emotes=;id=b-%3;"
                          "login=%4;msg-id=submysterygift;msg-param-community-gift-id=%3;"
                          "msg-param-mass-gift-count=%2;msg-param-origin-id=%3;"
                          "msg-param-sender-count=%2;msg-param-sub-plan=1000;room-id=12345;"
                          "system-msg=%1\\sis\\sgifting;tmi-sent-ts=1;user-id=7;user-type= "
                          ":tmi.twitch.tv USERNOTICE #chan")
        .arg(gifter)
        .arg(count)
        .arg(id, gifter.toLower());
}

QString giftLine(const QString &gifter, const QString &recipient, const QString &id) {
    return QStringLiteral("@badge-info=;badges=;color=#1E90FF;display-name=%1;emotes=;"
                          "id=g-%2;login=%4;msg-id=subgift;msg-param-community-gift-id=%3;"
                          "msg-param-gift-months=1;msg-param-months=1;msg-param-origin-id=%3;"
                          "msg-param-recipient-display-name=%2;msg-param-recipient-id=1;"
                          "msg-param-recipient-user-name=%5;msg-param-sub-plan=1000;"
                          "room-id=12345;tmi-sent-ts=1;user-id=7;user-type= "
                          ":tmi.twitch.tv USERNOTICE #chan")
        .arg(gifter, recipient, id, gifter.toLower(), recipient.toLower());
}

void knowBadges(Twitch &twitch) {
    twitch.badges().store(BadgeScope::Global, badgeReply({{"subscriber", "12", "sub12id"},
                                                          {"premium", "1", "prime1id"}}));
}
} // namespace

namespace {
// The rigs' clock at their start, in ms.
constexpr qint64 kRigStart = 1714564800000;

// A chat line of Ann's as the recent-messages service keeps it, sent this long after the start.
QString chatAt(const QString &id, qint64 afterMs, const QString &text) {
    return QStringLiteral("@badges=;color=;display-name=Ann;id=%1;historical=1;tmi-sent-ts=%2;"
                          "user-id=9 :ann!ann@ann.tmi.twitch.tv PRIVMSG #chan :%3")
        .arg(id)
        .arg(kRigStart + afterMs)
        .arg(text);
}

// The chat log without the supervisor's lines of the link going and coming back.
QStringList gapLines(const QStringList &chat) {
    QStringList lines;
    for (const QString &line : chat) {
        if (!line.contains(QStringLiteral("связь потеряна")) &&
            !line.contains(QStringLiteral("мы не спим")))
            lines << line;
    }
    return lines;
}

QString recentAnswer(const QStringList &lines) {
    Json messages = Json::array();
    for (const QString &line : lines)
        messages.push_back(stdstr(line));
    return qstr(Json{{"messages", messages}, {"error", nullptr}, {"error_code", nullptr}}.dump());
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
        rig.bttv.storeGlobalEmotes(parseJson(testData("emotes/bttv-global-lines.json")));
        rig.ffz.storeGlobalEmotes(parseJson(testData("emotes/ffz-global-lines.json")));
        rig.config.set("{\"view\":{\"addressed\":{\"words\":[\"streamer\"]}},\"alerts\":{\"voice\":"
                       "\"random\"}}");
        rig.utils.loadConfig();
        for (const QString &line : expected.input)
            rig.twitch.processMessage(line);
        verifyChatCase(rig, expected, QStringLiteral("Twitch >> "));
    }

    void pingIsAnswered() {
        TwitchRig rig;
        IrcServer server;
        QSignalSpy connected(&rig.socket, &TwitchSocket::connected);
        rig.socket.start("127.0.0.1", server.port(), "bot", "t", "chan");
        QVERIFY(server.accept());
        QTRY_COMPARE(connected.size(), 1);
        rig.twitch.processMessage("PING :abc");
        QVERIFY(server.receivedTimes("PONG :abc\r\n", 1));
        QVERIFY(server.receivedAtLeast(0).endsWith("JOIN #chan\r\nPONG :abc\r\n"));
        QCOMPARE(rig.log("raw").mid(rig.log("raw").size() - 2),
                 (QStringList{"Twitch >> PING :abc", "Twitch << PONG :abc"}));
    }

    void roomStateDuringReconnectIsSwallowed() {
        TwitchRig rig;
        rig.twitch.connection().start();
        rig.twitch.connection().lost();
        rig.clock.advance(2000);
        rig.twitch.connection().tick();
        QVERIFY(rig.twitch.reconnecting());
        rig.sink.events.clear();
        rig.twitch.processMessage("@room-id=5;slow=10 :tmi.twitch.tv ROOMSTATE #chan");
        QVERIFY(!rig.twitch.reconnecting());
        QCOMPARE(rig.twitch.channelID(), 0);
        // Only the supervisor's line that the chat is back, no room modes.
        QCOMPARE(rig.sink.events, QStringList{"service - Twitch: мы не спим на канале #chan"});
    }

    // After a reconnection the recent-messages copy fills the gap: what was not shown yet,
    // once each and in order, then the count; live lines wait behind it; nothing from the gap
    // plays an alert, a sub among it included. The history's answer is the row's; "silent"
    // answers nothing.
    void gapAfterReconnection_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QStringList>("chat");
        QTest::addColumn<QStringList>("errors");
        const QString shownTwice = recentAnswer(
            {chatAt("a", 1000, "one"), chatAt("b", 2000, "two"), chatAt("d", 4000, "removed"),
             chatAt("c", 3000, "three"), chatAt("e", 3500, "three and a half"),
             chatAt("f", 5000, "live"),
             "@login=ann;target-msg-id=x;tmi-sent-ts=" + QString::number(kRigStart + 3600) +
                 " :tmi.twitch.tv CLEARMSG #chan :x",
             chatAt("x", 3400, "cleared in the copy"),
             "@badges=;color=;display-name=Subber;id=s1;login=subber;msg-id=sub;"
             "msg-param-cumulative-months=3;msg-param-sub-plan=1000;tmi-sent-ts=" +
                 QString::number(kRigStart + 3200) + " :tmi.twitch.tv USERNOTICE #chan"});
        QTest::newRow("two lines already shown, one removed meanwhile")
            << shownTwice << ""
            << QStringList{"[Twitch] Ann: one",
                           "[Twitch] Ann: two",
                           "[Twitch] Ann: three",
                           "[Twitch] Subber подписан 3 месяца, уровень 1",
                           "[Twitch] Ann: three and a half",
                           "- Twitch: пропущенные сообщения показаны (3)",
                           "[Twitch] Ann: live"}
            << QStringList{};
        const QStringList liveOnly{"[Twitch] Ann: one", "[Twitch] Ann: two", "[Twitch] Ann: live"};
        QTest::newRow("an error answer")
            << R"({"messages":[],"error":"The bot is not in the channel","error_code":"channel_not_joined"})"
            << "" << liveOnly
            << QStringList{"Twitch: пропущенные сообщения не получены: The bot is not in the "
                           "channel"};
        QTest::newRow("no answer")
            << "silent"
            << "" << liveOnly << QStringList{"Twitch: пропущенные сообщения не пришли за 10 с"};
        QTest::newRow("switched off")
            << shownTwice << R"({"services":{"twitch":{"history":false}}})" << liveOnly
            << QStringList{};
    }
    void gapAfterReconnection() {
        QFETCH(QString, answer);
        QFETCH(QString, settings);
        QFETCH(QStringList, chat);
        QFETCH(QStringList, errors);
        HttpServer server;
        const QByteArray path = "/api/v2/recent-messages/chan";
        if (answer == QLatin1String("silent"))
            server.stall(path, HttpServer::Stall::Silent);
        else
            server.route(path + "?limit=800", 200, answer.toUtf8());
        TwitchRig rig(server.url(), settings.isEmpty() ? QStringLiteral("{}") : settings);
        rig.endpoints.set(endpoint::twitchHistory, server.url());
        rig.twitch.connection().start();
        rig.twitch.processMessage("@room-id=5 :tmi.twitch.tv ROOMSTATE #chan");
        rig.twitch.processMessage(chatAt("a", 1000, "one"));
        rig.twitch.processMessage(chatAt("b", 2000, "two"));
        rig.twitch.connection().lost();
        rig.clock.advance(2000);
        rig.twitch.connection().tick();
        rig.twitch.processMessage("@room-id=5 :tmi.twitch.tv ROOMSTATE #chan");
        rig.twitch.processMessage(chatAt("f", 5000, "live"));
        rig.twitch.processMessage(
            "@login=ann;target-msg-id=d :tmi.twitch.tv CLEARMSG #chan :removed");
        const auto asked = [&] {
            return server.requests.count(path + "?limit=800");
        };
        if (answer == QLatin1String("silent")) {
            QTRY_COMPARE(asked(), 1);
            rig.clock.advance(TwitchGap::kWaitMs);
            rig.twitch.tick();
        }
        QTRY_COMPARE(gapLines(rig.log("chat")), chat);
        QCOMPARE(rig.log("error").filter(QStringLiteral("пропущенные")), errors);
        QCOMPARE(asked(), settings.isEmpty() ? 1 : 0);
        // A sub of the gap is a line, never queued again.
        QVERIFY(rig.alerts.QUEUE().isEmpty());
    }

    void userStateAndOwnMessage() {
        TwitchRig rig;
        knowBadges(rig.twitch);
        rig.twitch.processMessage(
            "@badge-info=;badges=premium/1;color=#0000FF;display-name=Bot;emote-sets=0 "
            ":tmi.twitch.tv USERSTATE #chan");
        QVERIFY(rig.twitch.sendMessageToChat("  hello 'world'  "));
        QCOMPARE(rig.log("chat"), QStringList{"[Twitch] Bot: hello 'world'"});
        QVERIFY(rig.log("raw").contains("Twitch << PRIVMSG #chan :hello 'world'"));
        QCOMPARE(rig.sink.events, QStringList{"line [Twitch] [Badge: premium] \"Bot\"{author "
                                              "#0000FF} \": hello 'world'\""});
        QVERIFY(!rig.twitch.sendMessageToChat("   "));
        QCOMPARE(rig.log("chat").size(), 1);
    }

    void followers_data() { addTableRows("twitch-followers.tsv", {"message", "events"}); }

    void followers() {
        QFETCH(QString, message);
        QFETCH(QString, events);
        TwitchRig rig;
        rig.twitch.newFollower(message);
        QCOMPARE(rig.log("event"), cellItems(events));
        QCOMPARE(rig.alerts.QUEUE().size(), cellItems(events).size());
        for (const AlertRecord &record : rig.alerts.QUEUE())
            QVERIFY(record.type == "follow" && !record.text);
    }

    void placeBadges_data() { addTableRows("twitch-badges.tsv", {"tags", "titles"}); }

    void placeBadges() {
        QFETCH(QString, tags);
        QFETCH(QString, titles);
        TwitchRig rig;
        knowBadges(rig.twitch);
        rig.twitch.badges().store(BadgeScope::Channel,
                                  badgeReply({{"subscriber", "12", "chan12"}}));
        rig.twitch.badges().store(BadgeScope::Global, badgeReply({{"subscriber", "3", "glob3"}}));
        QStringList result;
        for (const MessagePart &part : rig.twitch.badges().placeBadges(Twitch::msgTags(tags)))
            result << part.title.value_or(QString());
        QCOMPARE(result, cellItems(titles));
        QCOMPARE(rig.twitch.badges().buildTwitchBadgeURL("subscriber", "12"),
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

    // The values shown as text are whole and unescaped; the raw reading stays as it was.
    void tagTexts_data() { addTableRows("twitch-tag-texts.tsv", {"raw", "text"}); }
    void tagTexts() {
        QFETCH(QString, raw);
        QFETCH(QString, text);
        const TagMap tags(QStringLiteral("x=1;body=") + raw + QStringLiteral(";y=2"));
        QCOMPARE(tags.text("body"), text);
        QCOMPARE(tags.text("y"), QStringLiteral("2"));
        QCOMPARE(tags.text("missing"), QString());
    }

    // A bomb of fifty: one spoken alert, one line of twenty names and the rest counted.
    void bombOfFifty() {
        TwitchRig rig;
        rig.twitch.processMessage(bombLine("Big", 50, "g50"));
        for (int i = 1; i <= 50; ++i)
            rig.twitch.processMessage(giftLine("Big", QStringLiteral("R%1").arg(i), "g50"));
        QStringList names;
        for (int i = 1; i <= 20; ++i)
            names << QStringLiteral("R%1").arg(i);
        QCOMPARE(rig.log("event"),
                 (QStringList{"[Twitch] Big дарит 50 подписок уровня 1!",
                              "[Twitch] Подарки от Big: " + names.join(", ") + " и ещё 30"}));
        QCOMPARE(rig.alerts.QUEUE().size(), 1);
        QCOMPARE(*rig.alerts.QUEUE().first().text,
                 QStringLiteral("Big дарит 50 подписок уровня 1!"));
    }

    // The fold closes ten seconds after the announcement with the names it has; later gifts
    // of that bomb are dropped, an unknown bomb's gift is still an alert.
    void foldClosesAfterTenSeconds() {
        TwitchRig rig;
        rig.twitch.processMessage(bombLine("Slow", 3, "g3"));
        rig.twitch.processMessage(giftLine("Slow", "One", "g3"));
        rig.clock.advance(9999);
        rig.twitch.tick();
        QCOMPARE(rig.log("event").size(), 1);
        rig.clock.advance(1);
        rig.twitch.tick();
        QCOMPARE(rig.log("event").last(), QStringLiteral("[Twitch] Подарки от Slow: One"));
        rig.twitch.processMessage(giftLine("Slow", "Two", "g3"));
        rig.twitch.processMessage(giftLine("Slow", "Three", "g3"));
        QCOMPARE(rig.log("event").size(), 2);
        QCOMPARE(rig.alerts.QUEUE().size(), 1);
        rig.twitch.processMessage(giftLine("Slow", "Other", "unknown"));
        QCOMPARE(rig.alerts.QUEUE().size(), 2);
    }

    void placeEmotes() {
        QStringList ranges;
        for (const EmoteRange &range :
             Twitch::placeEmotes("25:0-4,12-16/1902:6-10/x:a-b/33:20-21:junk"))
            ranges << QStringLiteral("%1-%2:%3").arg(range.bpos).arg(range.epos).arg(range.id);
        QCOMPARE(ranges, (QStringList{"0-4:25", "6-10:1902", "12-16:25", "20-21:33"}));
    }

    // The token is validated, then both badge sets come from Helix with its client id.
    void helixBadgesAfterValidation() {
        HttpServer server;
        server.route("/oauth2/validate", 200, serviceSample("twitch-oauth2-validate.json"));
        server.route("/helix/chat/badges/global", 200,
                     serviceSample("twitch-helix-chat-badges-global.json"));
        server.route("/helix/chat/badges?broadcaster_id=77", 200,
                     serviceSample("twitch-helix-chat-badges-channel.json"));
        TwitchRig rig(server.url(), kStoredToken);
        rig.twitch.badges().validateToken(77);
        QTRY_COMPARE(rig.twitch.badges().sets(BadgeScope::Channel).value("subscriber").size(), 1);
        QTRY_COMPARE(rig.twitch.badges().sets(BadgeScope::Global).value("vip").size(), 1);
        QCOMPARE(rig.twitch.badges().sets(BadgeScope::Global)["vip"]["1"],
                 QStringLiteral("b817aba4-fad8-49e2-b88a-7cc744dfa6ec"));
        QCOMPARE(rig.twitch.badges().buildTwitchBadgeURL("subscriber", "0"),
                 QStringLiteral("https://static-cdn.jtvnw.net/badges/v1/"
                                "eb4a8a4c-eacd-4f5e-b9f2-394348310442/1"));
        QCOMPARE(rig.twitch.badges().buildTwitchBadgeURL("bits", "1"),
                 QStringLiteral("https://static-cdn.jtvnw.net/badges/v1/"
                                "743a0f3b-84b3-450b-96a0-503d7f4a9764/1"));
        QCOMPARE(server.requests.first(), QByteArray("/oauth2/validate"));
        QVERIFY(server.fullRequests.first().contains("Authorization: OAuth s3cret\r\n"));
        for (int i = 1; i < 3; ++i) {
            QVERIFY(
                server.fullRequests.at(i).contains("Client-Id: kukpjyjkfttxf7ru2jjnbext6mm79k"));
            QVERIFY(server.fullRequests.at(i).contains("Authorization: Bearer s3cret\r\n"));
        }
        QCOMPARE(rig.log("error"), QStringList{});
    }

    // A refused token is said once; chat goes on without badges. Odd sets are skipped.
    void badgeFailures_data() {
        QTest::addColumn<int>("validation");
        QTest::addColumn<QByteArray>("sets");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("token refused")
            << 401 << serviceSample("twitch-helix-chat-badges-global.json")
            << QStringList{"Twitch: токен не принят (проверьте OAuth2 токен)"};
        QTest::newRow("image off the CDN, odd versions")
            << 200
            << QByteArray(
                   "{\"data\":[{\"set_id\":\"vip\",\"versions\":[{\"id\":\"1\",\"image_url_1x\":"
                   "\"https://elsewhere.example/badges/v1/abc/1\"},{\"id\":2},5]},"
                   "{\"set_id\":7,\"versions\":[]},{\"versions\":{}}]}")
            << QStringList{};
        QTest::newRow("wrong shape")
            << 200 << QByteArray("{\"data\":{\"vip\":1}}") << QStringList{};
    }
    void badgeFailures() {
        QFETCH(int, validation);
        QFETCH(QByteArray, sets);
        QFETCH(QStringList, errors);
        HttpServer server;
        server.route("/oauth2/validate", validation,
                     serviceSample(validation == 200 ? "twitch-oauth2-validate.json"
                                                     : "twitch-oauth2-validate-401.json"));
        server.route("/helix/chat/badges/global", 200, sets);
        server.route("/helix/chat/badges?broadcaster_id=77", 200, sets);
        TwitchRig rig(server.url(), kStoredToken);
        QSignalSpy status(&rig.twitch, &Twitch::status);
        QSignalSpy handled(&rig.http, &Http::handled);
        rig.twitch.badges().validateToken(77);
        QTRY_COMPARE(handled.size(), validation == 200 ? 3 : 1);
        QCOMPARE(server.requests.size(), handled.size());
        QCOMPARE(rig.log("error"), errors);
        if (!errors.isEmpty())
            QCOMPARE(status.last().at(0).toString(), errors.first());
        QVERIFY(rig.twitch.badges().sets(BadgeScope::Global).isEmpty() &&
                rig.twitch.badges().sets(BadgeScope::Channel).isEmpty());
    }

    // A shared chat's partner line ends with the room's name once Helix named it, asked once
    // for the run; without a login the id stays; a name Helix did not give is asked again at
    // the room's next line, not retried meanwhile.
    void partnerRoomsByName_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("firstFails");
        QTest::addColumn<QStringList>("marks");
        QTest::addColumn<int>("asked");
        QTest::newRow("login") << kLoggedIn << false
                               << QStringList{"from(141981764)", "from(TwitchDev)"} << 1;
        QTest::newRow("pasted token") << kStoredToken << false
                                      << QStringList{"from(141981764)", "from(141981764)"} << 0;
        QTest::newRow("a failed look-up")
            << kLoggedIn << true
            << QStringList{"from(141981764)", "from(141981764)", "from(TwitchDev)"} << 2;
    }
    void partnerRoomsByName() {
        QFETCH(QString, stored);
        QFETCH(bool, firstFails);
        QFETCH(QStringList, marks);
        QFETCH(int, asked);
        HttpServer server;
        server.route("/oauth2/validate", 200, serviceSample("twitch-oauth2-validate.json"));
        if (firstFails)
            server.queue("/helix/users", 500, "{}");
        server.route("/helix/users?id=141981764", 200, serviceSample("twitch-helix-users.json"));
        TwitchRig rig(server.url(), stored);
        rig.endpoints.set(endpoint::twitchClientId, QStringLiteral("cid"));
        rig.twitch.restore();
        rig.settle();
        const QString line = QStringLiteral("@display-name=Ann;id=x%1;room-id=1;"
                                            "source-room-id=141981764 :ann!ann@ann.tmi.twitch.tv "
                                            "PRIVMSG #chan :hi");
        for (int number = 1; number <= marks.size(); ++number) {
            rig.twitch.processMessage(line.arg(number));
            // The batch goes out on the next turn of the event loop.
            QCoreApplication::processEvents();
            rig.settle();
        }
        QStringList shown;
        for (const QString &event : rig.sink.events)
            shown << event.section(QLatin1Char(' '), -1);
        QCOMPARE(shown, marks);
        QCOMPARE(server.requests.count("/helix/users?id=141981764"), asked);
    }

    // A fetch that gets no answer says what happened: no link, a refused TLS, a silence past
    // the deadline, a server error; a refusal is an answer and is not sent again.
    void failuresInWords_data() {
        addTableRows("twitch-fetch-failures.tsv", {"scheme", "badges", "errors"});
    }
    void failuresInWords() {
        QFETCH(QString, scheme);
        QFETCH(QString, badges);
        QFETCH(QString, errors);
        HttpServer server;
        server.route("/oauth2/validate", 200, serviceSample("twitch-oauth2-validate.json"));
        server.route("/helix/chat/badges/global", badges.toInt(), "{}");
        server.route("/helix/chat/badges?broadcaster_id=77", badges.toInt(), "{}");
        // A TLS client that hears plain text back ends the handshake at once.
        QTcpServer plain;
        plain.listen(QHostAddress::LocalHost);
        QObject::connect(&plain, &QTcpServer::newConnection, [&plain] {
            plain.nextPendingConnection()->write("HTTP/1.1 400 Not TLS\r\n\r\n");
        });
        QUrl url = server.url();
        if (scheme == QLatin1String("closed"))
            url.setPort(9);
        if (scheme == QLatin1String("https")) {
            url.setScheme(scheme);
            url.setPort(plain.serverPort());
        }
        if (scheme == QLatin1String("silent"))
            server.stall("/oauth2/validate", HttpServer::Stall::Silent);
        TwitchRig rig(url, kStoredToken);
        rig.twitch.badges().validateToken(77);
        if (scheme == QLatin1String("silent")) {
            QTRY_COMPARE(server.requests.size(), 1);
            QVERIFY(rig.httpScheduler.run(Http::kTimeoutMs));
        }
        QTRY_COMPARE(rig.log("error"), cellItems(errors));
    }

    // With a login the chat's refusal renews the token once, kept at once; a second within the
    // hour ends the login. A pasted token's refusal is said once.
    void chatLoginRefused_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("error");
        QTest::newRow("login") << kLoggedIn << "Twitch: вход истёк, войдите снова";
        QTest::newRow("pasted token") << kStoredToken
                                      << "Twitch: токен не принят — войдите через Twitch или "
                                         "вставьте новый OAuth2 токен";
    }
    void chatLoginRefused() {
        QFETCH(QString, stored);
        QFETCH(QString, error);
        HttpServer server;
        server.route("/oauth2/validate", 200, serviceSample("twitch-oauth2-validate.json"));
        server.route("/oauth2/token", 200, serviceSample("twitch-oauth2-token.json"));
        TwitchRig rig(server.url(), stored);
        rig.twitch.restore();
        rig.settle();
        QByteArrayList tokens;
        for (int refusal = 0; refusal < 2; ++refusal) {
            rig.twitch.processMessage(":tmi.twitch.tv NOTICE * :Login authentication failed");
            rig.settle();
            tokens << QByteArray::fromStdString(
                jsonAt(parseJson(rig.config.get()), {"services", "twitch", "auth", "access_token"})
                    .dump());
        }
        QCOMPARE(rig.log("error"), QStringList{error});
        if (stored == kLoggedIn)
            QCOMPARE(tokens, (QByteArrayList{"\"rfx2uswqe8l4g1mkagrvg5tv0ks3\"", "\"\""}));
    }

    void emoteSetRules() {
        HttpServer server;
        server.route("/3/cached/emotes/global", 200, testData("emotes/bttv-global.json"));
        server.route("/3/cached/users/twitch/9", 200, testData("emotes/bttv-channel.json"));
        server.route("/v1/set/global", 404, "");
        server.route("/v1/room/id/9", 200, testData("emotes/ffz-room.json"));
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
        QCOMPARE(rig.bttv.placeEmotes("SoSnowy")->overlay, MessagePart::Overlay::Offset);
        QCOMPARE(rig.bttv.placeEmotes("Same")->overlay, MessagePart::Overlay::None);
        QVERIFY(!rig.bttv.placeEmotes("same"));
        QCOMPARE(rig.ffz.placeEmotes("Two")->url, QStringLiteral("https://f/3"));
        QVERIFY(!rig.ffz.placeEmotes("Never") && !rig.ffz.placeEmotes("Later"));
        QCOMPARE(rig.log("error"), QStringList{});
    }

    // The room's sets are asked for once a join: a mode change (which carries the room's id
    // too) asks nothing, another room does, and so does the same room after a stop and start.
    void roomSetsLoadOnceAJoin() {
        HttpServer server;
        TwitchRig rig(server.url());
        const auto asked = [&server] {
            return server.requests.count("/3/cached/emotes/global");
        };
        rig.twitch.connection().start();
        rig.twitch.processMessage("@room-id=5;slow=0 :tmi.twitch.tv ROOMSTATE #chan");
        QTRY_COMPARE(asked(), 1);
        for (const char *mode : {"slow=30", "subs-only=1", "slow=0"})
            rig.twitch.processMessage(QStringLiteral("@room-id=5;%1 :tmi.twitch.tv ROOMSTATE #chan")
                                          .arg(QLatin1String(mode)));
        rig.twitch.processMessage("@room-id=6 :tmi.twitch.tv ROOMSTATE #other");
        QTRY_COMPARE(server.requests.count("/3/cached/users/twitch/6"), 1);
        rig.twitch.stop();
        rig.twitch.connection().start();
        rig.twitch.processMessage("@room-id=6 :tmi.twitch.tv ROOMSTATE #other");
        QTRY_COMPARE(server.requests.count("/3/cached/users/twitch/6"), 2);
        QCOMPARE(server.requests.count("/3/cached/users/twitch/5"), 1);
        QCOMPARE(asked(), 3);
    }

    // The relay's socket is supervised too: a closed one subscribes again after a second,
    // until Twitch stops.
    void followersRelayComesBack() {
        WsServer relay;
        TwitchRig rig;
        FollowersRelay followers(relay.url(QStringLiteral("/follows")), rig.clock, rig.random);
        followers.open(12345);
        QTRY_COMPARE(relay.frames, QStringList{"{\"to_id\":12345}"});
        relay.closeClient();
        QTRY_COMPARE(followers.connection().stateName(), QStringLiteral("reconnecting"));
        rig.clock.advance(ServiceConnection::TICK_MS);
        followers.connection().tick();
        QTRY_COMPARE(relay.frames.size(), 2);
        QCOMPARE(relay.connections, 2);
        QCOMPARE(relay.frames.last(), QStringLiteral("{\"to_id\":12345}"));
        followers.close();
        QCOMPARE(followers.connection().stateName(), QStringLiteral("stopped"));
    }

    // The user's answer with its set inline, or with only the set's id to fetch next.
    void sevenTvChannelSet_data() {
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<int>("requests");
        QTest::newRow("emotes inline") << serviceSample("seventv-user-twitch.json") << 1;
        QTest::newRow("set by id") << serviceSample("seventv-user-twitch-set-id.json") << 2;
    }
    void sevenTvChannelSet() {
        QFETCH(QByteArray, user);
        QFETCH(int, requests);
        HttpServer server;
        server.route("/v3/users/twitch/9", 200, user);
        server.route("/v3/emote-sets/63b02874ad025a672cb4969f", 200,
                     serviceSample("seventv-emote-set.json"));
        server.route("/v3/emote-sets/global", 200, serviceSample("seventv-emote-set.json"));
        TwitchRig rig(server.url());
        rig.sevenTv.loadChannelEmotes(9);
        QTRY_COMPARE(rig.sevenTv.channelEmotes().size(), 5);
        QCOMPARE(server.requests.size(), requests);
        rig.sevenTv.loadGlobalEmotes();
        QTRY_COMPARE(rig.sevenTv.globalEmotes().size(), 5);
        const MessagePart still = *rig.sevenTv.placeEmotes("PagMan");
        QCOMPARE(still.url,
                 QStringLiteral("https://cdn.7tv.app/emote/60ae9a57ac03cad60771b2d8/1x.webp"));
        QCOMPARE(still.title, std::optional<QString>("7TV: PagMan"));
        QCOMPARE(still.overlay, MessagePart::Overlay::None);
        QCOMPARE(rig.sevenTv.placeEmotes("TakingNotes")->overlay, MessagePart::Overlay::ZeroWidth);
        QVERIFY(!rig.sevenTv.placeEmotes("pagman"));
    }

    // BTTV, then FFZ, then 7TV; within each the channel's before the whole service's.
    void externalEmoteOrder() {
        TwitchRig rig;
        rig.bttv.storeGlobalEmotes(parseJson(QByteArray("[{\"id\":\"b\",\"code\":\"Shared\"}]")));
        rig.ffz.storeChannelEmotes(parseJson(testData("emotes/ffz-channel-order.json")));
        const QByteArray set = serviceSample("seventv-emote-set.json");
        rig.sevenTv.storeGlobalEmotes(parseJson(set));
        Json channel = parseJson(set);
        channel["emotes"] = Json::array({channel["emotes"][0]});
        channel["emotes"][0]["name"] = "sadE";
        channel["emotes"][0]["data"]["host"]["url"] = "//cdn.7tv.app/emote/chan";
        rig.sevenTv.storeChannelEmotes(channel);
        rig.sevenTv.storeChannelEmotes(
            parseJson(QByteArray("{\"emotes\":[{\"name\":\"PagMan\","
                                 "\"data\":{\"host\":{\"url\":\"x\"}}}]}")));
        QStringList titles;
        for (const MessagePart &part : rig.twitch.getExternalEmotes(
                 QStringLiteral("Shared pokiDance PagMan sadE TakingNotes")))
            titles << part.title.value_or(part.text) + " " + part.url;
        QCOMPARE(
            titles,
            (QStringList{
                "BTTV: Shared https://cdn.betterttv.net/emote/b/1x", "FFZ: pokiDance https://f/2",
                "7TV: PagMan https://cdn.7tv.app/emote/60ae9a57ac03cad60771b2d8/1x.webp",
                "7TV: sadE https://cdn.7tv.app/emote/chan/1x.webp",
                "7TV: TakingNotes https://cdn.7tv.app/emote/6133b422d6b0df560a6525b2/1x.webp"}));
    }

    void channelErrorsAreLogged_data() {
        addTableRows("twitch-channel-errors.tsv", {"statusText", "bodyText", "errors"});
    }

    void channelErrorsAreLogged() {
        QFETCH(QString, statusText);
        QFETCH(QString, bodyText);
        QFETCH(QString, errors);
        const int status = statusText.toInt();
        const QByteArray body = bodyText.toUtf8();
        HttpServer server;
        server.route("/3/cached/users/twitch/9", status, body);
        server.route("/v1/room/id/9", status, body);
        server.route("/v3/users/twitch/9", status, body);
        TwitchRig rig(server.url());
        if (status != 200 || body.startsWith('<')) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Ошибка BTTV"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Ошибка FFZ"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Ошибка 7TV"));
        }
        QSignalSpy handled(&rig.http, &Http::handled);
        rig.bttv.loadChannelEmotes(9);
        rig.ffz.loadChannelEmotes(9);
        rig.sevenTv.loadChannelEmotes(9);
        QTRY_COMPARE(handled.size(), 3);
        QStringList logged = rig.log("error");
        logged.sort();
        QCOMPARE(logged, cellItems(errors));
        QVERIFY(rig.bttv.channelEmotes().isEmpty() && rig.ffz.channelEmotes().isEmpty() &&
                rig.sevenTv.channelEmotes().isEmpty());
    }

    // Random and mutated lines: nothing may crash or hang, and a good line still works after.
    void fuzz() {
        TwitchRig rig;
        knowBadges(rig.twitch);
        QStringList seeds;
        for (const auto &entry : readChatCases(TEST_DATA "/twitch-lines.txt"))
            seeds << entry.second.input;
        const int lines = feedMutants(
            seeds, QStringLiteral("@:;=/,- !#x0123456789\x01ACTIONPRIVMSGUSERNOTICEbits\\sé😀"),
            1234, [&rig](const QString &line) { rig.twitch.processMessage(line); });
        rig.chatView.scripts.clear();
        rig.twitch.processMessage(
            "@badges=;display-name=ok;id=z :ok!ok@ok PRIVMSG #chan :still fine");
        QCOMPARE(rig.chatView.scripts.size(), 1);
        QVERIFY(lines > 1000);
    }
};

QTEST_GUILESS_MAIN(TestTwitch)
#include "tst_twitch.moc"
