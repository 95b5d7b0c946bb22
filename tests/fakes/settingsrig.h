#pragma once

#include "fakes/manualclock.h"
#include "fakes/tempdatadir.h"
#include "settings/utils.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"

// A fresh data directory on a fixed day, its logger, and the settings loaded from a text.
struct SettingsRig {
    explicit SettingsRig(const QString &stored = {}) { load(stored); }

    void load(const QString &stored) {
        config.set(stored);
        utils.loadConfig();
    }

    QByteArray logBytes(const char *channel) const {
        return dir.read(QStringLiteral("logs/2024/2024-05/2024-05-01/2024-05-01.") +
                        QLatin1String(channel) + QStringLiteral(".log"));
    }

    // The channel's lines without their time stamps.
    QStringList log(const char *channel) const {
        QStringList lines;
        const QString text = QString::fromUtf8(logBytes(channel));
        for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            lines << line.mid(22);
        return lines;
    }

    TempDataDir dir;
    // A fixed offset, like the real clock, so no zone lookups.
    ManualClock clock{QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC)};
    BotLogger logger{dir.path(), clock};
    BotConfig config{dir.path()};
    Utils utils{config, logger};
};
