#include "buildconfig.h"
#include "fakes/tempdatadir.h"
#include "net/endpoints.h"
#include "services/goodgame/goodgame.h"
#include "services/twitch/twitchkeys.h"

#include <QtTest>

namespace {
QStringList g_warnings;
void recordWarning(QtMsgType type, const QMessageLogContext &, const QString &text) {
    if (type == QtWarningMsg)
        g_warnings << text;
}

// The keys a file is checked against here: the chat host, a relay and an API.
const QList<EndpointKey> kKnown{endpoint::twitchChatHost, endpoint::relaySpeech,
                                endpoint::twitchApi, endpoint::twitchIdApi, endpoint::sevenTvApi};
} // namespace

class TestEndpoints : public QObject {
    Q_OBJECT
private slots:
    // Without a file every address is its default, and nothing is said about it.
    void defaultsWithoutFile() {
        g_warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(recordWarning);
        TempDataDir dir;
        const Endpoints endpoints = Endpoints::fromFile(Endpoints::overridePath(dir.path()));
        QCOMPARE(endpoints.host(endpoint::twitchChatHost), QStringLiteral("irc.chat.twitch.tv"));
        // The live chat address is TLS only; the old ws://…:8081 no longer answers.
        QCOMPARE(endpoints.url(endpoint::goodgameChat),
                 QUrl(QStringLiteral("wss://chat-1.goodgame.ru/chat2/")));
        QCOMPARE(endpoints.url(endpoint::relayFollowers),
                 QUrl(QStringLiteral("ws://" KESTRO_RELAY_HOST ":8081/follows")));
        QCOMPARE(endpoints.url(endpoint::relaySpeech),
                 QUrl(QStringLiteral("ws://" KESTRO_RELAY_HOST ":8082/tts")));
        QCOMPARE(endpoints.word(endpoint::twitchClientId), QStringLiteral(KESTRO_TWITCH_CLIENT_ID));
        qInstallMessageHandler(previous);
        QCOMPARE(g_warnings, QStringList());
    }

    void overrides_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("chatHost");
        QTest::addColumn<QUrl>("speech");

        const QString host = QStringLiteral("irc.chat.twitch.tv");
        const QUrl speech(QStringLiteral("ws://" KESTRO_RELAY_HOST ":8082/tts"));
        const QUrl local(QStringLiteral("ws://127.0.0.1:9/tts"));
        QTest::newRow("two keys")
            << QByteArray(
                   "{\"twitchChatHost\":\"127.0.0.1\",\"relaySpeech\":\"ws://127.0.0.1:9/tts\"}")
            << QString() << "127.0.0.1" << local;
        QTest::newRow("not json") << QByteArray("twitchChatHost=x") << "endpoints.json: .*ignored"
                                  << host << speech;
        QTest::newRow("array") << QByteArray("[1,2]") << "not an object, ignored" << host << speech;
        QTest::newRow("nested past the limit")
            << "{\"twitchChatHost\":\"h\",\"x\":" + QByteArray(100000, '[') +
                   QByteArray(100000, ']') + "}"
            << "nested deeper than 64 levels, ignored" << host << speech;
        QTest::newRow("number value")
            << QByteArray("{\"relaySpeech\":8082,\"twitchChatHost\":\"h\"}")
            << "\"relaySpeech\" is not an address"
            << "h" << speech;
        QTest::newRow("no host") << QByteArray("{\"relaySpeech\":\"tts\"}")
                                 << "\"relaySpeech\" is not an address" << host << speech;
        QTest::newRow("empty host") << QByteArray("{\"twitchChatHost\":\"  \"}")
                                    << "\"twitchChatHost\" is not a host name" << host << speech;
        QTest::newRow("several service keys")
            << QByteArray(
                   "{\"twitchApi\":\"http://127.0.0.1:1\",\"twitchIdApi\":\"http://127.0.0.1:2\","
                   "\"sevenTvApi\":\"http://127.0.0.1:3\",\"relaySpeech\":\"ws://127.0.0.1:9/"
                   "tts\"}")
            << QString() << host << local;
        QTest::newRow("the retired badge host")
            << QByteArray("{\"twitchBadgeApi\":\"https://badges.twitch.tv\"}")
            << "unknown key \"twitchBadgeApi\"" << host << speech;
        QTest::newRow("unknown key")
            << QByteArray("{\"relay\":\"ws://x:1/\",\"relaySpeech\":\"ws://127.0.0.1:9/tts\"}")
            << "unknown key \"relay\"" << host << local;
    }

    void overrides() {
        QFETCH(QByteArray, file);
        QFETCH(QString, warning);
        QFETCH(QString, chatHost);
        QFETCH(QUrl, speech);
        TempDataDir dir;
        dir.write("config/endpoints.json", file);
        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));

        const Endpoints endpoints = Endpoints::fromFile(Endpoints::overridePath(dir.path()));
        endpoints.reportUnknown(kKnown);
        QCOMPARE(endpoints.host(endpoint::twitchChatHost), chatHost);
        QCOMPARE(endpoints.url(endpoint::relaySpeech), speech);
        // A bad value is reported once, however often it is read.
        QCOMPARE(endpoints.url(endpoint::relaySpeech), speech);
        QCOMPARE(endpoints.url(endpoint::ffzApi),
                 QUrl(QStringLiteral("https://api.frankerfacez.com")));
    }
};

QTEST_GUILESS_MAIN(TestEndpoints)
#include "tst_endpoints.moc"
