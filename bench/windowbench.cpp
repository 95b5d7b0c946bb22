#include "windowbench.h"

#include "fakes/httpserver.h"
#include "fakes/quickitems.h"
#include "processstats.h"
#include "programchild.h"
#include "replay.h"
#include "startup.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
// The last of the stream: the page reports what it saw once this line arrives.
const QByteArray kEndWord = "bench-end";

// In the chat page: the delay of each line from its send time (the "t…" at its end) to the
// moment it joined the list; the summary goes to the title when the end line comes.
const char *const kPageWatch = R"JS(
(function () {
    var delays = [];
    var list = document.getElementById("chatList");
    new MutationObserver(function (changes) {
        var now = Date.now();
        changes.forEach(function (change) {
            change.addedNodes.forEach(function (node) {
                var text = node.textContent || "";
                var sent = / t(\d{13})/.exec(text);
                if (sent)
                    delays.push(now - Number(sent[1]));
                if (text.indexOf("bench-end") >= 0) {
                    delays.sort(function (a, b) { return a - b; });
                    var at = function (share) {
                        return delays.length ? delays[Math.min(delays.length - 1,
                            Math.floor(share * delays.length))] : -1;
                    };
                    document.title = "bench:" + delays.length + " " + at(0.5) + " " + at(0.99);
                }
            });
        });
    }).observe(list, { childList: true });
})();
)JS";

void writeFile(const QString &path, const QByteArray &text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

// A certificate for 127.0.0.1 made for this run; the web engine is told to take it.
bool makeCertificate(const QString &dir, QSslCertificate &certificate, QSslKey &key) {
    const QString keyFile = dir + QStringLiteral("/key.pem");
    const QString certificateFile = dir + QStringLiteral("/certificate.pem");
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                   "/CN=127.0.0.1", "-keyout", keyFile, "-out", certificateFile});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
        return false;
    certificate = QSslCertificate(readFile(certificateFile));
    key = QSslKey(readFile(keyFile), QSsl::Rsa);
    return !certificate.isNull() && !key.isNull();
}

// The outside services of a real channel's mix on loopback: the token's validation, the badge
// sets and the BTTV, FFZ and 7TV global sets, their images on one https host. With images
// served, every image path there answers with one small picture; else the host is where
// nothing listens, as on a machine offline or behind a filter.
class Services {
public:
    explicit Services(bool serveImages) {
        QSslCertificate certificate;
        QSslKey key;
        m_served = serveImages && makeCertificate(m_dir.path(), certificate, key);
        if (m_served) {
            m_imageHost.encrypt(certificate, key);
            m_images = m_imageHost.url().toString();
            QFile badge(QStringLiteral(":/web/looks/twitch/badge.png"));
            const QByteArray picture =
                badge.open(QIODevice::ReadOnly) ? badge.readAll() : QByteArray();
            m_imageHost.onRequest = [this, picture](const QByteArray &path) {
                m_imageHost.route(path, 200, picture);
                m_imageHost.requests.clear();
                m_imageHost.fullRequests.clear();
            };
        }
        route("/oauth2/validate", "twitch-validate.json");
        route("/helix/chat/badges/global", "helix-badges.json");
        route("/helix/chat/badges", "helix-badges.json");
        route("/3/cached/emotes/global", "bttv-global.json");
        route("/v1/set/global", "ffz-global.json");
        route("/v3/emote-sets/global", "seventv-global.json");
    }
    // False when images were to be served but no certificate could be made.
    bool ready(bool serveImages) const { return m_served == serveImages; }
    QString api() const { return m_http.url().toString(); }
    const QString &images() const { return m_images; }

private:
    void route(const QByteArray &path, const char *sample) {
        QByteArray body = readFile(QStringLiteral(BENCH_DATA "/") + QLatin1String(sample));
        const QByteArray host = QUrl(m_images).authority().toUtf8();
        for (const char *cdn :
             {"static-cdn.jtvnw.net", "cdn.betterttv.net", "cdn.frankerfacez.com", "cdn.7tv.app"})
            body.replace(cdn, host);
        m_http.route(path, 200, body);
    }

    QTemporaryDir m_dir;
    HttpServer m_http;
    HttpServer m_imageHost;
    bool m_served = false;
    QString m_images = QStringLiteral("https://127.0.0.1:9");
};

// The child's settings: Twitch filled in for the loopback server; the services of the mix at
// `services`, or every outside address pointing nowhere.
void prepareDataDir(const QString &dataDir, quint16 ircPort, const Services *services) {
    writeFile(dataDir + QStringLiteral("/config/settings.json"),
              QStringLiteral(R"({"services":{"twitch":{"host":"127.0.0.1","port":"%1",)"
                             R"("login":"benchbot","password":"oauth:bench","channel":"bench"}}})")
                  .arg(ircPort)
                  .toUtf8());
    const QByteArray api = services ? services->api().toUtf8() : "http://127.0.0.1:9";
    const QByteArray images = services ? services->images().toUtf8() : "http://127.0.0.1:9";
    QByteArray endpoints = "{\"twitchChatHost\":\"127.0.0.1\"";
    for (const char *key : {"twitchApi", "twitchIdApi", "bttvApi", "ffzApi", "sevenTvApi",
                            "goodgameSite", "goodgameStatic", "twitchHistory"})
        endpoints += QByteArray(",\"") + key + "\":\"" + api + "\"";
    for (const char *key : {"twitchStaticCdn", "bttvCdn"})
        endpoints += QByteArray(",\"") + key + "\":\"" + images + "\"";
    endpoints += ",\"goodgameChat\":\"ws://127.0.0.1:9/chat\","
                 "\"relaySpeech\":\"ws://127.0.0.1:9/tts\","
                 "\"relayFollowers\":\"ws://127.0.0.1:9/follows\"}";
    writeFile(dataDir + QStringLiteral("/config/endpoints.json"), endpoints);
}

// The simple line, or the mix's next one: {n} its number, {t} its send time, {v} a viewer.
QByteArray chatLine(qint64 number, const QList<QByteArray> &mix) {
    const qint64 sent = QDateTime::currentMSecsSinceEpoch();
    const QByteArray viewer = "viewer" + QByteArray::number(number % 97);
    if (!mix.isEmpty())
        return QByteArray(mix.at(int(number % mix.size())))
                   .replace("{n}", QByteArray::number(number))
                   .replace("{t}", QByteArray::number(sent))
                   .replace("{v}", viewer) +
               "\r\n";
    return "@badge-info=;badges=subscriber/12;color=#1E90FF;display-name=" + viewer +
           ";emotes=;id=m" + QByteArray::number(number) + ";room-id=1;tmi-sent-ts=" +
           QByteArray::number(sent) + " :" + viewer + "!" + viewer + "@" + viewer +
           ".tmi.twitch.tv PRIVMSG #bench :привет всем, это сообщение номер " +
           QByteArray::number(number) + " t" + QByteArray::number(sent) + "\r\n";
}

// Waits for the channel's join and answers it as Twitch does.
QTcpSocket *acceptJoin(QTcpServer &server) {
    if (!server.waitForNewConnection(60000))
        return nullptr;
    QTcpSocket *client = server.nextPendingConnection();
    QByteArray heard;
    while (!heard.contains("JOIN #bench") && client->waitForReadyRead(30000))
        heard += client->readAll();
    if (!heard.contains("JOIN #bench"))
        return nullptr;
    // The join's room state carries every mode and the room's id, as Twitch's does.
    client->write(":tmi.twitch.tv 001 benchbot :Welcome\r\n@emote-only=0;followers-only=-1;r9k=0;"
                  "room-id=1;slow=0;subs-only=0 :tmi.twitch.tv ROOMSTATE #bench\r\n");
    client->flush();
    return client;
}

// Passes the page's summary on once its title carries it.
void relaySummary(QQuickWindow *window, QObject *chat) {
    auto *poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, window, [chat, poll] {
        const QString title = chat->property("title").toString();
        if (!title.startsWith(QLatin1String("bench:")))
            return;
        poll->stop();
        std::printf("page %s\n", qPrintable(title.mid(6)));
        std::fflush(stdout);
    });
    poll->start(250);
}

void report(const char *name, double value, const char *unit) {
    std::printf("window.%s %.1f %s\n", name, value, unit);
}
} // namespace

int runWindowBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int rate = numberAfter(argc, argv, "--rate", 30);
    const int seconds = numberAfter(argc, argv, "--seconds", 60);
    // A real channel's mix, its images served on loopback or unreachable.
    const char *mixFile = option(argc, argv, "--mix");
    QList<QByteArray> mix;
    if (mixFile)
        for (const QString &line : readLines(QString::fromLocal8Bit(mixFile)))
            mix << line.toUtf8();
    const char *images = option(argc, argv, "--images");
    std::unique_ptr<Services> services;
    const bool serveImages = !images || std::strcmp(images, "unreachable") != 0;
    if (mixFile) {
        services = std::make_unique<Services>(serveImages);
        if (!services->ready(serveImages)) {
            std::fputs("window: no certificate for the image host (is openssl there?)\n", stderr);
            return 1;
        }
        // The image host's certificate is this run's own.
        if (serveImages)
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                    qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --ignore-certificate-errors");
    }
    QTcpServer irc;
    irc.listen(QHostAddress::LocalHost);
    ProgramChild child(kWindowChild, [&irc, &services](const QString &dataDir) {
        prepareDataDir(dataDir, irc.serverPort(), services.get());
    });
    QTcpSocket *twitch = child.waitFor("ready") < 0 ? nullptr : acceptJoin(irc);
    if (!twitch) {
        std::fputs("window: the window never joined the loopback channel\n", stderr);
        return 1;
    }
    const auto cpu = [&child] { return cpuSeconds(processFamily(child.pid())); };
    const auto byRole = [&child] {
        return cpuSecondsByRole(child.pid(), processFamily(child.pid()));
    };
    const QHash<QByteArray, double> startByRole = byRole();
    const double startCpu = cpu();
    double lastMinuteCpu = startCpu;
    const int lastMinuteFrom = std::max(0, seconds - 60);
    // The lines go out on a timer, so the sender itself stays idle between them.
    QElapsedTimer clock;
    clock.start();
    qint64 sent = 0;
    QEventLoop streaming;
    QTimer sender;
    // The tree's memory as the page fills: at 1k, 5k and 10k lines.
    std::vector<std::pair<qint64, double>> memory;
    QObject::connect(&sender, &QTimer::timeout, [&] {
        const qint64 due = clock.elapsed() * rate / 1000;
        while (sent < due) {
            twitch->write(chatLine(++sent, mix));
            if (sent == 1000 || sent == 5000 || sent == 10000 || sent == 30000)
                memory.push_back({sent, residentBytes(processFamily(child.pid())) / 1e6});
        }
        if (clock.elapsed() >= seconds * 1000LL)
            streaming.quit();
    });
    sender.start(10);
    QTimer::singleShot(lastMinuteFrom * 1000, [&] { lastMinuteCpu = cpu(); });
    streaming.exec();
    const double endCpu = cpu();
    const QHash<QByteArray, double> endByRole = byRole();
    const qint64 rss = residentBytes(processFamily(child.pid()));
    twitch->write("@id=end;room-id=1 :viewer0!viewer0@viewer0.tmi.twitch.tv PRIVMSG #bench :" +
                  kEndWord + "\r\n");
    twitch->flush();
    const bool summed = child.waitFor("page ", 30000) >= 0;
    const QList<QByteArray> page = child.report("page ").split(' ');
    report("lines_sent", sent, "lines");
    report("cpu_share_of_core", 100.0 * (endCpu - startCpu) / seconds, "%");
    report("cpu_share_of_core_last_minute",
           100.0 * (endCpu - lastMinuteCpu) / std::min(seconds, 60), "%");
    // Where the time went: the program itself (which under the software scene graph also draws
    // the web view into the window), the page's renderer, the GPU process.
    for (auto it = endByRole.begin(); it != endByRole.end(); ++it)
        std::printf("window.cpu_share_of_core.%s %.1f %%\n", it.key().constData(),
                    100.0 * (it.value() - startByRole.value(it.key())) / seconds);
    report("memory_mb", rss / 1e6, "MB");
    for (const auto &[lines, megabytes] : memory)
        std::printf("window.memory_mb_at_%lldk %.1f MB\n", lines / 1000, megabytes);
    if (!summed || page.size() < 3) {
        std::fputs("window: the page never reported\n", stderr);
        return 1;
    }
    report("lines_on_page", page.at(0).toDouble(), "lines");
    report("line_to_page_ms.p50", page.at(1).toDouble(), "ms");
    report("line_to_page_ms.p99", page.at(2).toDouble(), "ms");
    return 0;
}

// The program as the streamer runs it: once the pages are up, the chat page is watched,
// Twitch started from its button and the Chat tab shown; the page's summary goes to the parent.
int runWindowChild(int argc, char *argv[]) {
    return runKestro(argc, argv, QUrl(QStringLiteral("qrc:/main.qml")),
                     [](QQmlApplicationEngine &engine) {
                         auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().value(0));
                         if (!window)
                             return;
                         whenPagesReady(window, [window] {
                             QQuickItem *root = window->contentItem();
                             QQuickItem *chat = findItem(root, QStringLiteral("chatView"));
                             QQuickItem *start = findItem(root, QStringLiteral("twitchStartButton"));
                             if (!chat || !start)
                                 return;
                             QMetaObject::invokeMethod(chat, "runJavaScript",
                                                       Q_ARG(QString, QString::fromUtf8(kPageWatch)));
                             relaySummary(window, chat);
                             QMetaObject::invokeMethod(start, "clicked");
                             // The streamer watches the chat: its tab is the one shown.
                             findItem(root, QStringLiteral("tabs"))->setProperty("currentIndex", 1);
                         });
                     });
}
