#pragma once

#include "common/datadir.h"

#include <QObject>

// Keeps the settings text in config/settings.json; never parses it.
class BotConfig : public QObject {
    Q_OBJECT
public:
    explicit BotConfig(const QString &baseDir = defaultDataDir());

    QString filePath() const { return m_filePath; }
    // Moves an unreadable settings file aside to settings.json.broken, replacing an older one,
    // so the next save cannot overwrite what the user had.
    bool keepBroken();

public slots:
    void set(const QString &config);
    QString get() const;

private:
    QString m_filePath;
};
