#include "windowbench.h"

#include "fakes/quickitems.h"
#include "processstats.h"
#include "programchild.h"
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
#include <QTimer>
#include <QTcpSocket>
#include <QUrl>
#include <cstdio>
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

// The child's settings: Twitch filled in for the loopback server, every outside address
// pointing nowhere.
void prepareDataDir(const QString &dataDir, quint16 ircPort) {
    writeFile(dataDir + QStringLiteral("/config/settings.json"),
              QStringLiteral(R"({"services":{"twitch":{"host":"127.0.0.1","port":"%1",)"
                             R"("login":"benchbot","password":"oauth:bench","channel":"bench"}}})")
                  .arg(ircPort)
                  .toUtf8());
    QByteArray endpoints = "{\"twitchChatHost\":\"127.0.0.1\"";
    for (const char *key : {"twitchApi", "twitchIdApi", "twitchStaticCdn", "bttvApi", "bttvCdn",
                            "ffzApi", "sevenTvApi", "goodgameSite", "goodgameStatic"})
        endpoints += QByteArray(",\"") + key + "\":\"http://127.0.0.1:9\"";
    endpoints += ",\"goodgameChat\":\"ws://127.0.0.1:9/chat\","
                 "\"relaySpeech\":\"ws://127.0.0.1:9/tts\","
                 "\"relayFollowers\":\"ws://127.0.0.1:9/follows\"}";
    writeFile(dataDir + QStringLiteral("/config/endpoints.json"), endpoints);
}

QByteArray chatLine(qint64 number) {
    const qint64 sent = QDateTime::currentMSecsSinceEpoch();
    const QByteArray viewer = "viewer" + QByteArray::number(number % 97);
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
    client->write(":tmi.twitch.tv 001 benchbot :Welcome\r\n:tmi.twitch.tv ROOMSTATE #bench\r\n");
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
    QTcpServer irc;
    irc.listen(QHostAddress::LocalHost);
    ProgramChild child(kWindowChild,
                       [&irc](const QString &dataDir) { prepareDataDir(dataDir, irc.serverPort()); });
    QTcpSocket *twitch = child.waitFor("ready") < 0 ? nullptr : acceptJoin(irc);
    if (!twitch) {
        std::fputs("window: the window never joined the loopback channel\n", stderr);
        return 1;
    }
    const auto cpu = [&child] { return cpuSeconds(processFamily(child.pid())); };
    const double startCpu = cpu();
    double lastMinuteCpu = startCpu;
    const int lastMinuteFrom = std::max(0, seconds - 60);
    // The lines go out on a timer, so the sender itself stays idle between them.
    QElapsedTimer clock;
    clock.start();
    qint64 sent = 0;
    QEventLoop streaming;
    QTimer sender;
    QObject::connect(&sender, &QTimer::timeout, [&] {
        const qint64 due = clock.elapsed() * rate / 1000;
        while (sent < due)
            twitch->write(chatLine(++sent));
        if (clock.elapsed() >= seconds * 1000LL)
            streaming.quit();
    });
    sender.start(10);
    QTimer::singleShot(lastMinuteFrom * 1000, [&] { lastMinuteCpu = cpu(); });
    streaming.exec();
    const double endCpu = cpu();
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
    report("memory_mb", rss / 1e6, "MB");
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
