#include "twitchbench.h"

#include "fakes/twitchrig.h"
#include "replay.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
void loadEmoteFixtures(TwitchRig &rig) {
    const QString data = QStringLiteral(BENCH_DATA "/");
    rig.bttv.storeGlobalEmotes(parseJson(QString::fromUtf8(readFile(data + "bttv-global.json"))));
    rig.ffz.storeGlobalEmotes(parseJson(QString::fromUtf8(readFile(data + "ffz-global.json"))));
    rig.twitch.badges().store(BadgeScope::Global, parseJson(readFile(data + "helix-badges.json")));
}

} // namespace

QStringList chatPageScripts() {
    TwitchRig rig;
    loadEmoteFixtures(rig);
    QStringList scripts;
    for (const QString &line : readLines(QStringLiteral(BENCH_DATA "/twitch-sample.txt"))) {
        rig.twitch.processMessage(line);
        for (const QString &script : qAsConst(rig.chatView.scripts)) {
            if (script.contains(QLatin1String("Kestro.addMessage(")))
                scripts << script;
        }
        drain(rig);
        rig.chatView.scripts.clear();
    }
    return scripts;
}

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
        useSettings(rig, argc, argv);
        printReplay(rig, lines, [&rig](const QString &line) { rig.twitch.processMessage(line); });
        return 0;
    }
    if (flag(argc, argv, "--parse-only")) {
        volatile qint64 sink = 0;
        const double rate = inputsPerSecond(lines, [&sink](const QString &line) {
            const QStringList parts = line.split(QLatin1Char(' '));
            sink += Twitch::messageType(parts).size() +
                    Twitch::msgTags(parts.first().mid(1)).value(QStringLiteral("id")).size();
        });
        std::printf("twitch.parse_lines_per_s %.0f lines/s\n", rate);
        return 0;
    }
    const double rate = inputsPerSecond(lines, [&rig](const QString &line) {
        rig.twitch.processMessage(line);
        drain(rig);
    });
    std::printf("twitch.lines_per_s %.0f lines/s\n", rate);
    return 0;
}
