#include "donationalertsbench.h"

#include "fakes/fixedrandom.h"
#include "replay.h"
#include "services/donationalerts/donationalerts.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
// The client on its own, reading recorded frames as a joined session would.
struct ReplayRig : ChatRig {
    Endpoints endpoints;
    FixedRandom random;
    DonationAlerts service{ServiceDeps{sink, utils, logger, http, endpoints, clock, random}};
};

// A recorded frame of several messages writes the two characters \n between them; inside a
// JSON string the same two characters are the string's own line break and stay.
QString frameOf(const QString &line) {
    QString frame;
    frame.reserve(line.size());
    bool inString = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (inString && c == QLatin1Char('\\') && i + 1 < line.size()) {
            frame += c;
            frame += line.at(++i);
            continue;
        }
        if (c == QLatin1Char('"'))
            inString = !inString;
        if (!inString && c == QLatin1Char('\\') && line.mid(i + 1, 1) == QLatin1String("n")) {
            frame += QLatin1Char('\n');
            ++i;
            continue;
        }
        frame += c;
    }
    return frame;
}
} // namespace

int runDonationAlertsBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const char *file = option(argc, argv, "--frames");
    QStringList frames;
    for (const QString &line : readLines(file ? QString::fromLocal8Bit(file)
                                              : QStringLiteral(BENCH_DATA "/donationalerts-sample.txt")))
        frames << frameOf(line);
    if (frames.isEmpty()) {
        std::fputs("donationalerts: no frames to replay\n", stderr);
        return 1;
    }
    ReplayRig rig;
    rig.service.readFramesAt(DonationAlerts::Step::Live);
    const auto feed = [&rig](const QString &frame) { rig.service.processFrame(frame); };
    if (flag(argc, argv, "--print")) {
        useSettings(rig, argc, argv);
        printReplay(rig, frames, feed);
        return 0;
    }
    // Read as tests, the same donations go the whole way to the queue each round instead of
    // stopping at the duplicate check.
    const double rate = inputsPerSecond(frames, [&rig](const QString &frame) {
        rig.service.processFrame(frame, true);
        drain(rig);
    });
    std::printf("donationalerts.frames_per_s %.0f frames/s\n", rate);
    return 0;
}
