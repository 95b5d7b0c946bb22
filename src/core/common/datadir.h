#pragma once

#include <QString>

// The per-user data directory that holds settings, logs and speech files.
QString defaultDataDir();
