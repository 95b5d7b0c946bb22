#include "goodgamebench.h"

#include "fakes/goodgamerig.h"
#include "replay.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
// Fills the smile table through the real loader, from a loopback copy of the catalogue.
bool loadSmiles(GoodgameRig &rig) {
    rig.server.route("/js/minified/global.json", 200,
                     readFile(QStringLiteral(BENCH_DATA "/goodgame-global.json")));
    rig.goodgame.loadEmotes();
    QElapsedTimer timer;
    timer.start();
    while (rig.goodgame.smiles().isEmpty() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return !rig.goodgame.smiles().isEmpty();
}
} // namespace

int runGoodgameBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const char *file = option(argc, argv, "--frames");
    const QStringList frames = readLines(
        file ? QString::fromLocal8Bit(file) : QStringLiteral(BENCH_DATA "/goodgame-sample.jsonl"));
    if (frames.isEmpty()) {
        std::fputs("goodgame: no frames to replay\n", stderr);
        return 1;
    }
    GoodgameRig rig;
    if (!loadSmiles(rig)) {
        std::fputs("goodgame: the smile catalogue did not load\n", stderr);
        return 1;
    }
    rig.goodgame.readFramesAt(Goodgame::Step::Chat);
    // A hostile frame may not leave the chat state behind for the rest of the replay; a
    // welcome frame picks the protocol version for the frames after it.
    const auto feed = [&rig](const QString &frame) {
        rig.goodgame.readFramesAt(Goodgame::Step::Chat, rig.goodgame.version());
        rig.goodgame.processMessage(frame);
    };
    if (flag(argc, argv, "--print")) {
        useSettings(rig, argc, argv);
        printReplay(rig, frames, feed);
        return 0;
    }
    const double rate = inputsPerSecond(frames, [&rig, &feed](const QString &frame) {
        feed(frame);
        drain(rig);
    });
    std::printf("goodgame.frames_per_s %.0f frames/s\n", rate);
    return 0;
}
