#include "twitchbench.h"

#include "fakes/twitchrig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
const char *option(int argc, char *argv[], const char *name) {
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return argv[i + 1];
    }
    return nullptr;
}

bool flag(int argc, char *argv[], const char *name) {
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return true;
    }
    return false;
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList readLines(const QString &path) {
    QStringList lines = QString::fromUtf8(readFile(path)).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void loadEmoteFixtures(TwitchRig &rig) {
    const QString data = QStringLiteral(BENCH_DATA "/");
    rig.bttv.storeGlobalEmotes(parseJson(QString::fromUtf8(readFile(data + "bttv-global.json"))));
    rig.ffz.storeGlobalEmotes(parseJson(QString::fromUtf8(readFile(data + "ffz-global.json"))));
    rig.twitch.globalBadges["subscriber"]["12"] =
        QStringLiteral("5d9f2208-5dd8-11e7-8513-2ff4adfae661");
    rig.twitch.globalBadges["premium"]["1"] =
        QStringLiteral("bbbe0db0-a598-423e-86d0-f9fb98ca1933");
    rig.twitch.globalBadges["moderator"]["1"] =
        QStringLiteral("3267646d-33f0-4b17-b3df-f923a41db1d0");
}

// Lines a second: the median of five runs of about a second each.
template <typename Feed> double linesPerSecond(const QStringList &lines, Feed feed) {
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        qint64 count = 0;
        while (timer.elapsed() < 1000) {
            for (const QString &line : lines)
                feed(line);
            count += lines.size();
        }
        runs.push_back(count * 1000.0 / std::max<qint64>(1, timer.elapsed()));
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// Replays once and prints what the chat and event logs receive, line by line.
void printReplay(TwitchRig &rig, const QStringList &lines) {
    qint64 seen[2] = {0, 0};
    const char *channels[2] = {"chat", "event"};
    for (int i = 0; i < lines.size(); ++i) {
        rig.twitch.processMessage(lines.at(i));
        for (int c = 0; c < 2; ++c) {
            const QStringList logged = rig.log(channels[c]);
            for (qint64 k = seen[c]; k < logged.size(); ++k)
                std::printf("%d\t%s\t%s\n", i + 1, channels[c], qPrintable(logged.at(k)));
            seen[c] = logged.size();
        }
    }
}
} // namespace

int runTwitchBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const char *file = option(argc, argv, "--lines");
    const QStringList lines = readLines(file ? QString::fromLocal8Bit(file)
                                             : QStringLiteral(BENCH_DATA "/twitch-sample.txt"));
    if (lines.isEmpty()) {
        std::fputs("twitch: no lines to replay\n", stderr);
        return 1;
    }
    TwitchRig rig;
    loadEmoteFixtures(rig);
    if (flag(argc, argv, "--print")) {
        printReplay(rig, lines);
        return 0;
    }
    if (flag(argc, argv, "--parse-only")) {
        volatile qint64 sink = 0;
        const double rate = linesPerSecond(lines, [&sink](const QString &line) {
            const QStringList parts = line.split(QLatin1Char(' '));
            sink += Twitch::messageType(parts).size() +
                    Twitch::msgTags(parts.first().mid(1)).value(QStringLiteral("id")).size();
        });
        std::printf("twitch.parse_lines_per_s %.0f lines/s\n", rate);
        return 0;
    }
    const double rate = linesPerSecond(lines, [&rig](const QString &line) {
        rig.twitch.processMessage(line);
        if (rig.chatView.scripts.size() > 100)
            rig.chatView.scripts.clear();
        if (rig.alertView.scripts.size() > 100)
            rig.alertView.scripts.clear();
        rig.alerts.QUEUE().clear();
    });
    std::printf("twitch.lines_per_s %.0f lines/s\n", rate);
    return 0;
}
