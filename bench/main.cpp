// kestro-bench: one subcommand per hot path, each printing "name value unit" lines.
#include "donationalertsbench.h"
#include "goodgamebench.h"
#include "overlaybench.h"
#include "pagebench.h"
#include "relaybench.h"
#include "startupbench.h"
#include "twitchbench.h"
#include "vkvideobench.h"
#include "windowbench.h"

#include <QByteArray>
#include <cstdio>
#include <cstring>

namespace {
int usage() {
    std::fputs(
        "usage: kestro-bench startup [--runs N]\n"
        "       kestro-bench twitch [--lines FILE] [--parse-only] [--print [--settings FILE]]\n"
        "       kestro-bench goodgame [--frames FILE] [--print [--settings FILE]]\n"
        "       kestro-bench donationalerts [--frames FILE] [--print [--settings FILE]]\n"
        "       kestro-bench vkvideo [--frames FILE] [--print [--settings FILE]]\n"
        "       kestro-bench page [--lines N] [--batch K]\n"
        "       kestro-bench idle [--seconds N]\n"
        "       kestro-bench relay [--rounds N]\n"
        "       kestro-bench overlay [--seconds N] [--rate R]\n"
        "       kestro-bench window [--rate R] [--seconds N] [--mix FILE [--images "
        "served|unreachable]]\n",
        stderr);
    return 2;
}
} // namespace

int main(int argc, char *argv[]) {
    if (argc < 2)
        return usage();
    if (std::strcmp(argv[1], "startup") == 0)
        return runStartupBench(argc, argv);
    if (std::strcmp(argv[1], "twitch") == 0)
        return runTwitchBench(argc, argv);
    if (std::strcmp(argv[1], "goodgame") == 0)
        return runGoodgameBench(argc, argv);
    if (std::strcmp(argv[1], "donationalerts") == 0)
        return runDonationAlertsBench(argc, argv);
    if (std::strcmp(argv[1], "vkvideo") == 0)
        return runVkVideoBench(argc, argv);
    if (std::strcmp(argv[1], "relay") == 0)
        return runRelayBench(argc, argv);
    if (std::strcmp(argv[1], "idle") == 0)
        return runIdleBench(argc, argv);
    if (std::strcmp(argv[1], "overlay") == 0)
        return runOverlayBench(argc, argv);
    if (std::strcmp(argv[1], "page") == 0)
        return runPageBench(argc, argv);
    if (std::strcmp(argv[1], "window") == 0)
        return runWindowBench(argc, argv);
    if (std::strcmp(argv[1], kStartupChild) == 0)
        return runStartupChild(argc, argv);
    if (std::strcmp(argv[1], kWindowChild) == 0)
        return runWindowChild(argc, argv);
    return usage();
}
