#pragma once

// kestro-bench twitch [--lines FILE] [--parse-only] [--print]
int runTwitchBench(int argc, char *argv[]);
