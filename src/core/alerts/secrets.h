#pragma once

#include "buildconfig.h"
#include "shell/relaytoken.h"

#include <QString>

// The speech token: the one built in for a relay deployment elsewhere, or else the token this
// machine shares with its own relay.
struct Secrets {
    static QString ttsToken(const QString &dataDir) {
        const QString builtIn = QStringLiteral(KESTRO_TTS_TOKEN);
        return builtIn.isEmpty() ? RelayToken::loadOrCreate(dataDir) : builtIn;
    }
};
