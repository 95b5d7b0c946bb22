#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <vector>

// Mono 16-bit samples at `rate` as a complete Ogg Opus file, in memory; empty on failure.
QByteArray encodeOggOpus(const std::vector<qint16> &pcm, int rate);
