#pragma once

#include <QHash>
#include <QSet>
#include <QtGlobal>

// A process and every process it started, and theirs in turn (the web engine's renderer, GPU
// and helper processes).
QSet<qint64> processFamily(qint64 root);
qint64 residentBytes(const QSet<qint64> &processes);
// User and system time used so far.
double cpuSeconds(const QSet<qint64> &processes);
// The same split by role: "program" for `root` itself, else the web engine's process type
// ("renderer", "gpu-process", "utility", "zygote") or the command's name; the renderers of
// both pages count together.
QHash<QByteArray, double> cpuSecondsByRole(qint64 root, const QSet<qint64> &processes);
