#include "connection/serviceconnection.h"
#include "fakes/ircserver.h"
#include "fakes/tables.h"
#include "fakes/twitchrig.h"
#include "overlay/overlay.h"
#include "services/goodgame/goodgame.h"
#include "services/serviceregistry.h"
#include "testevents/tests.h"
#include "window/mainwindow.h"

#include <QtTest>

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

QObject *tabNamed(MainWindow &window, const QString &name) {
    if (name == QLatin1String("view"))
        return window.viewTab();
    if (name == QLatin1String("alerts"))
        return window.alertsTab();
    return &window;
}

// What the QML calls on a tab: the tab, the operation and its arguments as words, each turned
// into the operation's own parameter type.
void perform(MainWindow &window, QStringList words) {
    QObject *tab = tabNamed(window, words.takeFirst());
    const QByteArray name = words.takeFirst().toLatin1();
    const QMetaObject *meta = tab->metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.name() != name || method.parameterCount() != words.size())
            continue;
        const QList<QByteArray> types = method.parameterTypes();
        QVariantList values;
        for (int p = 0; p < words.size(); ++p) {
            values << words.at(p);
            QVERIFY(values.last().convert(method.parameterType(p)));
        }
        QGenericArgument args[4];
        for (int p = 0; p < values.size(); ++p)
            args[p] = QGenericArgument(types.at(p).constData(), values[p].constData());
        QVERIFY(method.invoke(tab, Qt::DirectConnection, args[0], args[1], args[2], args[3]));
        return;
    }
    QFAIL(name.constData());
}
} // namespace

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

    // A flood of status lines: the first reaches the view at once, the rest together a moment
    // later, ending on the newest.
    void statusLineIsPaced() {
        WindowRig rig;
        QSignalSpy shown(&rig.window, &MainWindow::outputChanged);
        for (int i = 0; i < 50; ++i)
            rig.window.setOutput(QStringLiteral("Twitch: line %1").arg(i));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(rig.window.output(), QStringLiteral("Twitch: line 49"));
        QVERIFY(shown.wait());
        QCOMPARE(shown.size(), 2);
        QCOMPARE(rig.window.output(), QStringLiteral("Twitch: line 49"));
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

        // A chat that is not running gets nothing; all chats are the running ones.
        rig.window.setSendTarget(QStringLiteral("goodgame"));
        rig.chatInput.setText(QStringLiteral("to gg"));
        rig.window.sendMessage();
        QCOMPARE(rig.chatInput.text(), QStringLiteral("to gg"));
        QCOMPARE(rig.window.output(),
                 QStringLiteral("GoodGame: чат не запущен, сообщение не отправлено"));
        rig.window.setSendTarget(MainWindow::kAllChats);
        rig.window.sendMessage();
        QCOMPARE(rig.chatInput.text(), QString());
        QVERIFY(server.receivedTimes("PRIVMSG #mychan :to gg\r\n", 1));
        QCOMPARE(rig.window.sendTargets().size(), 3);
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
        addTableRows("window-gestures.tsv", {"gestures", "calls", "pointer", "stored"});
    }
    void tabGestures() {
        QFETCH(QString, gestures);
        QFETCH(QString, calls);
        QFETCH(QString, pointer);
        QFETCH(QString, stored);
        WindowRig rig;
        rig.utils.initServices();
        for (const QString &gesture : gestures.split(QStringLiteral(" ; ")))
            perform(rig.window, gesture.split(QLatin1Char(' ')));
        QCOMPARE(rig.chatCalls(), cellItems(calls));
        if (stored.isEmpty())
            QCOMPARE(rig.config.get(), QString());
        else
            QCOMPARE(rig.stored(pointer.toLatin1()), stored);
    }
};

QTEST_GUILESS_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
