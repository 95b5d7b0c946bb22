// kestro-bench: one subcommand per hot path, each printing "name value unit" lines.
#include "startupbench.h"

#include <QByteArray>
#include <cstdio>
#include <cstring>

namespace {
int usage()
{
    std::fputs("usage: kestro-bench startup [--runs N]\n", stderr);
    return 2;
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2)
        return usage();
    if (std::strcmp(argv[1], "startup") == 0)
        return runStartupBench(argc, argv);
    if (std::strcmp(argv[1], kStartupChild) == 0)
        return runStartupChild(argc, argv);
    return usage();
}
