#pragma once

// The hidden subcommand the startup benchmark runs as its measured child process.
inline constexpr char kStartupChild[] = "startup-child";

int runStartupBench(int argc, char *argv[]);
// kestro-bench idle [--seconds N]: the whole program with no traffic.
int runIdleBench(int argc, char *argv[]);
int runStartupChild(int argc, char *argv[]);
