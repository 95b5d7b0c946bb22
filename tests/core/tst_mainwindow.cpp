#include "connection/serviceconnection.h"
#include "fakes/ircserver.h"
#include "fakes/twitchrig.h"
#include "overlay/overlay.h"
#include "services/goodgame/goodgame.h"
#include "services/serviceregistry.h"
#include "testevents/tests.h"
#include "window/mainwindow.h"

#include <QtTest>
#include <functional>

namespace {
// The window controller over the real modules, with the Twitch and GoodGame servers on loopback.
struct WindowRig : TwitchRig {
    explicit WindowRig(const QUrl &goodgameChat = QUrl(QStringLiteral("ws://127.0.0.1:9/chat")))
        : TwitchRig(QUrl(QStringLiteral("http://127.0.0.1:9")), QString()) {
        endpoints.set(endpoint::goodgameChat, goodgameChat);
        endpoints.set(endpoint::goodgameSite, QUrl(QStringLiteral("http://127.0.0.1:9")));
        endpoints.set(endpoint::goodgameStatic, QUrl(QStringLiteral("http://127.0.0.1:9")));
        twitch.enterChannel(QString());
    }
    void fillTwitch(quint16 port) {
        SettingsForm &f = utils.form();
        f.fields.insert("twitchHost", QStringLiteral("127.0.0.1"));
        f.fields.insert("twitchPort", QString::number(port));
        f.fields.insert("twitchNick", QStringLiteral("BotNick"));
        f.fields.insert("twitchToken", QStringLiteral("oauth:secret"));
        f.fields.insert("twitchChannel", QStringLiteral("#MyChan")); // as some type it
    }
    // Starts Twitch on the server and completes its join.
    void joinTwitch(IrcServer &server) {
        fillTwitch(server.port());
        window.toggleService("twitch");
        QVERIFY(server.accept());
        QVERIFY(server.receivedAtLeast(80).contains("JOIN #mychan\r\n"));
        server.send(":tmi.twitch.tv ROOMSTATE #mychan\r\n");
        QTRY_COMPARE(twitch.connection().state(), ServiceConnection::State::Connected);
    }
    void tick() {
        clock.advance(ServiceConnection::TICK_MS);
        window.watchdog();
    }
    // The chat view's lines without their mark-up.
    QStringList chatLines() const {
        QStringList lines = chatHtml();
        lines.replaceInStrings(QRegularExpression(QStringLiteral("<[^>]*>")), QString());
        for (QString &line : lines)
            line = line.trimmed();
        return lines;
    }
    QString stored(const char *pointer) const {
        const Json settings = parseJson(config.get());
        const Json::json_pointer path(pointer);
        return settings.is_object() && settings.contains(path) ? qstr(settings.at(path).dump())
                                                               : QString();
    }

    Goodgame goodgame{ServiceDeps{sink, utils, logger, http, endpoints, clock, random}};
    Overlay overlay{utils, clock};
    ServiceRegistry services{&twitch, &goodgame};
    Tests tests{services, random};
    MainWindow window{MainWindowDeps{utils, services, alerts, tests, chatInput, chatView, overlay}};
};

using Gesture = std::function<void(MainWindow &)>;
} // namespace
Q_DECLARE_METATYPE(Gesture)

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void emptyFieldsAreRefused_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("twitch");
        for (const char *field :
             {"twitchHost", "twitchPort", "twitchNick", "twitchToken", "twitchChannel"})
            QTest::newRow(field) << field << true;
        for (const char *field : {"goodgameLogin", "goodgamePassword", "goodgameChannel"})
            QTest::newRow(field) << field << false;
    }
    void emptyFieldsAreRefused() {
        QFETCH(QString, field);
        QFETCH(bool, twitch);
        WindowRig rig;
        rig.fillTwitch(6667);
        SettingsForm &f = rig.utils.form();
        for (const char *name : {"goodgameLogin", "goodgamePassword", "goodgameChannel"})
            f.fields.insert(name, "x");
        f.fields.insert(field, QString());
        twitch ? rig.window.toggleService("twitch") : rig.window.toggleService("goodgame");
        QCOMPARE(rig.window.output(),
                 twitch ? QStringLiteral("Не заполнены поля формы Twitch. Заполните и нажмите "
                                         "кнопку.")
                        : QStringLiteral("Не заполнены поля формы GoodGame. Заполните и "
                                         "нажмите кнопку."));
        QVERIFY(!rig.twitch.running());
        QVERIFY(!rig.goodgame.running());
        QCOMPARE(rig.config.get(), QString());
    }

    // Nick and channel go to Twitch in lower case; the chat shows the channel as typed, with
    // one "#".
    void twitchStartAndStop() {
        IrcServer server;
        WindowRig rig;
        rig.fillTwitch(server.port());
        rig.window.toggleService("twitch");
        QCOMPARE(rig.window.output(), QStringLiteral("Twitch: соединяемся с сервером"));
        QVERIFY(rig.twitch.running());
        QCOMPARE(rig.stored("/services/twitch/channel"), QStringLiteral("\"#MyChan\""));
        QVERIFY(server.accept());
        const QByteArray login = server.receivedAtLeast(80);
        QVERIFY2(login.contains("NICK botnick\r\n"), login);
        QVERIFY2(login.contains("JOIN #mychan\r\n"), login);
        QCOMPARE(rig.chatLines(), QStringList{"- Twitch: заходим на канал #MyChan"});

        rig.window.toggleService("twitch");
        QCOMPARE(rig.window.output(), QStringLiteral("Twitch: отключаемся от сервера"));
        QVERIFY(!rig.twitch.running());
        QCOMPARE(rig.chatLines().last(), QStringLiteral("- Twitch: уходим с канала #MyChan"));
    }

    // The first join opens the followers relay for the room; a sent line leaves the input empty,
    // a blank one stays where it was typed.
    void joinedChannelAndOwnLine() {
        IrcServer server;
        WindowRig rig;
        rig.joinTwitch(server);
        QVERIFY(!rig.followers.connection().wanted());
        server.send("@room-id=12345 :tmi.twitch.tv ROOMSTATE #mychan\r\n");
        QTRY_VERIFY(rig.followers.connection().wanted());

        rig.chatInput.setText(QStringLiteral("  hello  "));
        rig.window.sendMessage();
        QCOMPARE(rig.chatInput.text(), QString());
        QVERIFY(server.receivedTimes("PRIVMSG #mychan :hello\r\n", 1));
        rig.chatInput.setText(QStringLiteral("   "));
        rig.window.sendMessage();
        QCOMPARE(rig.chatInput.text(), QStringLiteral("   "));
    }

    // A close, an error-free half-open link and the server's RECONNECT each bring the chat back
    // from the stored settings (the fields may have been edited since), on a fresh connection.
    void twitchComesBack_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<int>("seconds"); // from the failure to the new connection
        QTest::addColumn<bool>("lossLine");
        QTest::newRow("server closes") << "close" << 1 << true;
        QTest::newRow("half-open") << "silence" << 75 << true;
        QTest::newRow("RECONNECT") << "reconnect" << 0 << false;
    }
    void twitchComesBack() {
        QFETCH(QString, failure);
        QFETCH(int, seconds);
        QFETCH(bool, lossLine);
        IrcServer server;
        WindowRig rig;
        rig.joinTwitch(server);
        rig.utils.form().setField("twitchHost", "bogus.invalid");
        QTcpSocket *old = server.client;
        if (failure == QLatin1String("close"))
            old->disconnectFromHost();
        else if (failure == QLatin1String("reconnect"))
            server.send(":tmi.twitch.tv RECONNECT\r\n");
        if (failure != QLatin1String("silence"))
            QTRY_VERIFY(rig.twitch.connection().state() == ServiceConnection::State::Waiting ||
                        server.server.hasPendingConnections());
        if (seconds > 0) {
            for (int second = 0; second < seconds - 1; ++second)
                rig.tick();
            QVERIFY(!server.server.hasPendingConnections());
            rig.tick();
        }
        QVERIFY(server.accept());
        QCOMPARE(server.connections, 2);
        QVERIFY(rig.twitch.running());
        QVERIFY(server.receivedAtLeast(80).contains("JOIN #mychan\r\n"));
        server.send(":tmi.twitch.tv ROOMSTATE #mychan\r\n"
                    "@display-name=A;id=1 :a!a@a.tmi.twitch.tv PRIVMSG #mychan :back again\r\n");
        QTRY_COMPARE(rig.chatLines().last(), QStringLiteral("A: back again"));
        QStringList expected{"- Twitch: заходим на канал #MyChan"};
        if (lossLine)
            expected << "- Twitch: связь потеряна, переподключаемся";
        expected << "- Twitch: мы не спим на канале #MyChan"
                 << "A: back again";
        QCOMPARE(rig.chatLines(), expected);
    }

    // The volume reaches the player at once, before and after the controls are filled.
    void volumeReachesThePlayerAtOnce() {
        WindowRig rig;
        SettingsForm &f = rig.utils.form();
        f.alertVolume = 0.3;
        emit f.changed();
        QCOMPARE(rig.player.volume(), 0.3);
        rig.utils.initServices();
        QCOMPARE(rig.player.volume(), 0.75);
        f.alertVolume = 0.5;
        emit f.changed();
        QCOMPARE(rig.player.volume(), 0.5);
    }

    void tabGestures_data() {
        QTest::addColumn<Gesture>("gesture");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("pointer");
        QTest::addColumn<QString>("stored"); // empty: nothing is written

        const auto row = [](const char *name, Gesture gesture, QStringList calls,
                            const char *pointer, const char *stored) {
            QTest::newRow(name) << gesture << calls << QString::fromLatin1(pointer)
                                << QString::fromUtf8(stored);
        };
        row(
            "chat background",
            [](MainWindow &w) { w.viewTab()->colorAccepted("bgChatColor", 1, 0, 0); },
            {"setBGColor('#ff0000')"}, "/view/chat/color/bg", "\"#ff0000\"");
        row(
            "chat text",
            [](MainWindow &w) { w.viewTab()->colorAccepted("fgChatColor", 0.2, 0.4, 0.6); },
            {"setColor('#336699')"}, "/view/chat/color/fg", "\"#336699\"");
        row(
            "addressed background",
            [](MainWindow &w) { w.viewTab()->colorAccepted("bgHLColor", 0, 0, 0); },
            {"setCustomCSS('li%20div.addressed%20%7B%20background-color%3A%20%23000000%3B%20"
             "color%3A%20%23303030%3B%20display%3A%20inline%3B%20padding%3A%201px%203px%203px%3B"
             "%20%7D')"},
            "/view/addressed/color/bg", "\"#000000\"");
        row(
            "font heading", [](MainWindow &w) { w.viewTab()->fontChosen(48); }, {}, "", "");
        row(
            "font", [](MainWindow &w) { w.viewTab()->fontChosen(49); },
            {R"(setFontFamily({"name":"Alegreya","type":"serif"}))"}, "/view/chat/font/name",
            "\"Alegreya\"");
        row(
            "slider", [](MainWindow &w) { w.viewTab()->chatFontSizeMoved(20); },
            {"setFontSize('20')"}, "/view/chat/size", "20");
        row(
            "size list", [](MainWindow &w) { w.viewTab()->sizeChosen(8); }, {"setFontSize('20')"},
            "/view/chat/size", "20");
        row(
            "size list at the slider's value", [](MainWindow &w) { w.viewTab()->sizeChosen(4); },
            {}, "", "");
        row(
            "animation", [](MainWindow &w) { w.viewTab()->animationChosen(1); },
            {"setAnimation('animScaleX')"}, "/view/chat/animation", "\"animScaleX\"");
        row(
            "animation heading", [](MainWindow &w) { w.viewTab()->animationChosen(0); },
            {"setAnimation('')"}, "/view/chat/animation", "\"\"");
        row(
            "random voice", [](MainWindow &w) { w.alertsTab()->voiceChosen(1); }, {},
            "/alerts/voice", "\"random\"");
        row(
            "no voice", [](MainWindow &w) { w.alertsTab()->voiceChosen(0); }, {}, "/alerts/voice",
            "\"\"");
        row(
            "sound chosen",
            [](MainWindow &w) {
                w.alertsTab()->openSoundFileDialog("bits");
                w.alertsTab()->soundFileChosen("file:///music/bits.ogg");
            },
            {}, "/alerts/twitch/bits", "\"file:///music/bits.ogg\"");
        row(
            "sound for an unknown slot",
            [](MainWindow &w) {
                w.alertsTab()->openSoundFileDialog("nothing");
                w.alertsTab()->soundFileChosen("file:///music/x.ogg");
            },
            {}, "", "");
        row(
            "sound removed", [](MainWindow &w) { w.alertsTab()->removeSound("donat"); }, {},
            "/alerts/goodgame/donation", "\"\"");
        row(
            "bubbles on", [](MainWindow &w) { w.viewTab()->bubbleReleased(true); },
            {"toggleBubbles(1)"}, "", "");
        row(
            "pause", [](MainWindow &w) { w.togglePause(); }, {"turnPause(true)"}, "", "");
    }
    void tabGestures() {
        QFETCH(Gesture, gesture);
        QFETCH(QStringList, calls);
        QFETCH(QString, pointer);
        QFETCH(QString, stored);
        WindowRig rig;
        rig.utils.initServices();
        gesture(rig.window);
        QCOMPARE(rig.chatCalls(), calls);
        if (stored.isEmpty())
            QCOMPARE(rig.config.get(), QString());
        else
            QCOMPARE(rig.stored(pointer.toLatin1()), stored);
    }

};

QTEST_GUILESS_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
