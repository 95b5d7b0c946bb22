// kestro-relay: the followers and speech relay that Kestro talks to.
#include "buildconfig.h"
#include "common/datadir.h"
#include "common/json.h"
#include "espeaksynth.h"
#include "common/scheduler.h"
#include "followersserver.h"
#include "services/twitch/eventsub.h"
#include "shell/relaytoken.h"
#include "speechserver.h"
#include "twitchlogin.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <cstdio>
#include <memory>

namespace {
void writeLog(const QString &line) {
    const QString stamped =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + line;
    std::fprintf(stderr, "%s\n", stamped.toUtf8().constData());
}

quint16 portFrom(const QCommandLineParser &parser, const QString &name) {
    return quint16(parser.value(name).toUInt());
}
} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kestro's followers and speech relay."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("listen"), QStringLiteral("Address to listen on."),
         QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("followers-port"), QStringLiteral("Port of /follows."),
         QStringLiteral("PORT"), QStringLiteral("8081")},
        {QStringLiteral("speech-port"), QStringLiteral("Port of /tts."), QStringLiteral("PORT"),
         QStringLiteral("8082")},
        {QStringLiteral("token-file"),
         QStringLiteral("File holding the speech token (default: Kestro's config/relay-token, "
                        "created when missing)."),
         QStringLiteral("PATH")},
        {QStringLiteral("twitch-credentials"),
         QStringLiteral("JSON file with the Twitch login for EventSub (default: Kestro's "
                        "config/twitch-credentials.json); without one follows are off."),
         QStringLiteral("PATH")},
        {QStringLiteral("twitch-login"),
         QStringLiteral("Log in with Twitch: prints a link and a code, waits for them to be "
                        "confirmed and writes the credentials file.")},
        {QStringLiteral("twitch-client-id"),
         QStringLiteral("Client id of the Twitch application to log in as."),
         QStringLiteral("ID"), QStringLiteral(KESTRO_TWITCH_CLIENT_ID)},
        {QStringLiteral("id-api"), QStringLiteral("Twitch id server address."),
         QStringLiteral("URL"), QStringLiteral("https://id.twitch.tv")},
        {QStringLiteral("eventsub"), QStringLiteral("EventSub WebSocket address."),
         QStringLiteral("URL"), QStringLiteral("wss://eventsub.wss.twitch.tv/ws")},
        {QStringLiteral("helix"), QStringLiteral("Twitch API address."), QStringLiteral("URL"),
         QStringLiteral("https://api.twitch.tv/helix")},
    });
    parser.process(app);
    // The same per-user directory as Kestro's, where the shared token lives.
    QCoreApplication::setApplicationName(QStringLiteral("kestro"));
    const QString credentialsFile =
        parser.isSet(QStringLiteral("twitch-credentials"))
            ? parser.value(QStringLiteral("twitch-credentials"))
            : QDir(defaultDataDir()).filePath(QStringLiteral("config/twitch-credentials.json"));
    RelayTwitchLogin login(credentialsFile, parser.value(QStringLiteral("twitch-client-id")),
                           QUrl(parser.value(QStringLiteral("id-api"))), writeLog);
    if (parser.isSet(QStringLiteral("twitch-login"))) {
        QObject::connect(&login, &RelayTwitchLogin::loggedIn, &app, [] { QCoreApplication::exit(0); });
        QObject::connect(&login, &RelayTwitchLogin::failed, &app, [] { QCoreApplication::exit(1); });
        QMetaObject::invokeMethod(&login, &RelayTwitchLogin::logIn, Qt::QueuedConnection);
        return app.exec();
    }

    const bool ownFile = parser.isSet(QStringLiteral("token-file"));
    const QString tokenFile =
        ownFile ? parser.value(QStringLiteral("token-file")) : RelayToken::path(defaultDataDir());
    const QString token =
        ownFile ? RelayToken::read(tokenFile) : RelayToken::loadOrCreate(defaultDataDir());
    for (const QString &warning : RelayToken::weaknesses(tokenFile))
        writeLog(warning);
    if (token.isEmpty()) {
        writeLog(QStringLiteral("ОШИБКА: нет токена речи"));
        return 1;
    }
    EspeakSynth synth;
    if (!synth.ready()) {
        writeLog(QStringLiteral("ОШИБКА: eSpeak NG не запустился"));
        return 1;
    }
    QtScheduler scheduler;
    std::unique_ptr<EventSub> eventSub;
    if (login.restore()) {
        eventSub = std::make_unique<EventSub>(QUrl(parser.value(QStringLiteral("eventsub"))),
                                              QUrl(parser.value(QStringLiteral("helix"))),
                                              login.credentials(), scheduler, writeLog);
        EventSub *session = eventSub.get();
        QObject::connect(&login.account(), &TwitchAccount::renewed, session,
                         [&login, session] { session->setCredentials(login.credentials()); });
        QObject::connect(session, &EventSub::refused, &login.account(), [&login](qint64, int status) {
            if (status == 401)
                login.account().renew();
        });
    }
    SpeechServer speech(token, synth, writeLog);
    FollowersServer followers(eventSub.get(), writeLog);
    const QHostAddress address(parser.value(QStringLiteral("listen")));
    if (!speech.listen(address, portFrom(parser, QStringLiteral("speech-port"))) ||
        !followers.listen(address, portFrom(parser, QStringLiteral("followers-port"))))
        return 1;
    if (eventSub)
        eventSub->start();
    return app.exec();
}
