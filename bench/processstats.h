#pragma once

#include <QSet>
#include <QtGlobal>

// A process and every process it started, and theirs in turn (the web engine's renderer, GPU
// and helper processes).
QSet<qint64> processFamily(qint64 root);
qint64 residentBytes(const QSet<qint64> &processes);
// User and system time used so far.
double cpuSeconds(const QSet<qint64> &processes);
