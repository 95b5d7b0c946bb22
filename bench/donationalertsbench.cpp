#include "donationalertsbench.h"

#include "fakes/fixedrandom.h"
#include "replay.h"
#include "services/donationalerts/donationalerts.h"

#include <QCoreApplication>

namespace {
// The client on its own, reading recorded frames as a joined session would.
struct ReplayRig : ChatRig {
    Endpoints endpoints;
    FixedRandom random;
    DonationAlerts service{ServiceDeps{sink, utils, logger, http, endpoints, clock, random}};
};

} // namespace

int runDonationAlertsBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    ReplayRig rig;
    rig.service.readFramesAt(DonationAlerts::Step::Live);
    // Read as tests, the same donations go the whole way to the queue each round instead of
    // stopping at the duplicate check.
    return replayFrames({"donationalerts", BENCH_DATA "/donationalerts-sample.txt",
                         [&rig](const QString &frame) { rig.service.processFrame(frame); },
                         [&rig](const QString &frame) {
                             rig.service.processFrame(frame, true);
                         }},
                        rig, argc, argv);
}
