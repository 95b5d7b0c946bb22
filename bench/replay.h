#pragma once

#include "fakes/chatrig.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

// What the replaying subcommands share: their options, their input and their figures.

// The value after `name`, or nullptr.
const char *option(int argc, char *argv[], const char *name);
bool flag(int argc, char *argv[], const char *name);
QByteArray readFile(const QString &path);
// One input a line; a missing file gives none.
QStringList readLines(const QString &path);

// Inputs a second: the median of five runs of about a second each.
template <typename Feed> double inputsPerSecond(const QStringList &inputs, Feed feed) {
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        qint64 count = 0;
        while (timer.elapsed() < 1000) {
            for (const QString &input : inputs)
                feed(input);
            count += inputs.size();
        }
        runs.push_back(count * 1000.0 / std::max<qint64>(1, timer.elapsed()));
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// The value below which the share `fraction` of the samples lie (0.5: the median).
double percentile(std::vector<double> samples, double fraction);

// Keeps the recording pages and the queue small, as the real pages and player would.
void drain(ChatRig &rig);

// The settings of `--settings FILE` (a settings.json), when given.
void useSettings(ChatRig &rig, int argc, char *argv[]);

// Feeds every input once and prints what the chat and event logs receive, input by input, and
// what chat speech, when the settings turn it on, would read of each line.
void printReplay(ChatRig &rig, const QStringList &inputs,
                 const std::function<void(const QString &)> &feed);

// A socket client's subcommand: its recorded frames (one a line, "\n" between the messages
// of one frame), printed as the logs have them with --print, or else its frames a second.
struct FrameReplay {
    const char *name;                           // the subcommand and its figure's prefix
    const char *sampleFile;                     // without --frames
    std::function<void(const QString &)> print; // one frame, as a session would read it
    std::function<void(const QString &)> round; // one frame of a throughput round
};
int replayFrames(const FrameReplay &replay, ChatRig &rig, int argc, char *argv[]);
