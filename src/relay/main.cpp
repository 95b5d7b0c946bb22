// kestro-relay: the followers and speech relay that Kestro talks to.
#include "buildconfig.h"
#include "common/datadir.h"
#include "common/json.h"
#include "espeaksynth.h"
#include "services/twitch/eventsub.h"
#include "followersserver.h"
#include "common/scheduler.h"
#include "shell/relaytoken.h"
#include "speechserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <memory>
#include <optional>

namespace {
void writeLog(const QString &line) {
    const QString stamped =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + line;
    std::fprintf(stderr, "%s\n", stamped.toUtf8().constData());
}

// {"client_id":…,"access_token":…} from a file only the owner reads; none without one.
std::optional<EventSub::Credentials> credentialsFrom(const QString &path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = file.readAll();
    if (!jsonDepthWithin(text))
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(text).object();
    EventSub::Credentials credentials{object.value(QStringLiteral("client_id")).toString(),
                                      object.value(QStringLiteral("access_token")).toString()};
    if (credentials.clientId.isEmpty() || credentials.accessToken.isEmpty())
        return std::nullopt;
    return credentials;
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
         QStringLiteral("JSON file with client_id and access_token for Twitch EventSub; without "
                        "it follows are off."),
         QStringLiteral("PATH")},
        {QStringLiteral("eventsub"), QStringLiteral("EventSub WebSocket address."),
         QStringLiteral("URL"), QStringLiteral("wss://eventsub.wss.twitch.tv/ws")},
        {QStringLiteral("helix"), QStringLiteral("Twitch API address."), QStringLiteral("URL"),
         QStringLiteral("https://api.twitch.tv/helix")},
    });
    parser.process(app);
    // The same per-user directory as Kestro's, where the shared token lives.
    QCoreApplication::setApplicationName(QStringLiteral("kestro"));

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
    if (const auto credentials =
            credentialsFrom(parser.value(QStringLiteral("twitch-credentials")))) {
        eventSub = std::make_unique<EventSub>(QUrl(parser.value(QStringLiteral("eventsub"))),
                                              QUrl(parser.value(QStringLiteral("helix"))),
                                              *credentials, scheduler, writeLog);
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
