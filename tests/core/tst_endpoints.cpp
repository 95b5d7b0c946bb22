#include "buildconfig.h"
#include "fakes/tables.h"
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
        addTableRows("endpoints-overrides.tsv", {"file", "warning", "chatHost", "speechText"});
        QTest::newRow("nested past the limit")
            << "{\"twitchChatHost\":\"h\",\"x\":" + QString(100000, '[') + QString(100000, ']') + "}"
            << "nested deeper than 64 levels, ignored" << "default" << "default";
    }

    void overrides() {
        QFETCH(QString, file);
        QFETCH(QString, warning);
        QFETCH(QString, chatHost);
        QFETCH(QString, speechText);
        if (chatHost == QLatin1String("default"))
            chatHost = QStringLiteral("irc.chat.twitch.tv");
        const QUrl speech(speechText == QLatin1String("default")
                              ? QStringLiteral("ws://" KESTRO_RELAY_HOST ":8082/tts")
                              : speechText);
        TempDataDir dir;
        dir.write("config/endpoints.json", file.toUtf8());
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
