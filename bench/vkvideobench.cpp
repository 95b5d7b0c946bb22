#include "vkvideobench.h"

#include "fakes/fixedrandom.h"
#include "replay.h"
#include "services/vkvideo/vkvideo.h"

#include <QCoreApplication>

namespace {
// The client on its own, reading recorded frames as a joined session would.
struct ReplayRig : ChatRig {
    Endpoints endpoints;
    FixedRandom random;
    VkVideo service{ServiceDeps{sink, utils, logger, http, endpoints, clock, random}};
};
} // namespace

int runVkVideoBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    ReplayRig rig;
    rig.service.readFramesAt(VkVideo::Step::Live);
    const auto feed = [&rig](const QString &frame) {
        rig.service.processFrame(frame);
    };
    return replayFrames({"vkvideo", BENCH_DATA "/vkvideo-sample.txt", feed, feed}, rig, argc, argv);
}
