#pragma once

#include "buildconfig.h"

#include <QString>

// What the program carries for its relay deployment, built in at configure time.
struct Secrets {
    static QString ttsToken() { return QStringLiteral(KESTRO_TTS_TOKEN); }
};
