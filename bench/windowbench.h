#pragma once

// The hidden subcommand the window benchmark runs as its measured child process.
inline constexpr char kWindowChild[] = "window-child";

// kestro-bench window [--rate R] [--seconds N]: the whole program with its window, joined to a
// loopback Twitch channel that sends R lines a second: what it costs and how late lines are.
int runWindowBench(int argc, char *argv[]);
int runWindowChild(int argc, char *argv[]);
