#pragma once

#include <QString>

// The speech token Kestro and its relay share on this machine: config/relay-token in the
// per-user data directory, readable by its owner only, created on the first start.
struct RelayToken {
    static constexpr int kLength = 124;
    static QString path(const QString &dataDir);
    // The stored token, or a new random one stored first; empty when neither works.
    static QString loadOrCreate(const QString &dataDir);
    static constexpr int kMinLength = 32;
    // A token file's text without its line end; empty when it cannot be read.
    static QString read(const QString &filePath);
    // What makes a token file easy to misuse: too short a token, a file others can read.
    static QStringList weaknesses(const QString &filePath);
};
