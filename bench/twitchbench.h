#pragma once

#include <QStringList>

// The chat page calls that Chat makes of the Twitch sample, in order.
QStringList chatPageScripts();

// kestro-bench twitch [--lines FILE] [--parse-only] [--print]
int runTwitchBench(int argc, char *argv[]);
