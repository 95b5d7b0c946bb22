#pragma once

#include <QString>
#include <functional>

// Where the relay writes its log lines; tests keep them.
using RelayLog = std::function<void(const QString &line)>;
