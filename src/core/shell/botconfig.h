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
    // Owner-only (the file holds the chat token and the GoodGame password); false when the
    // text did not reach the disk, with the reason in errorString().
    bool set(const QString &config);
    QString get() const;

public:
    QString errorString() const { return m_error; }

private:
    QString m_filePath;
    QString m_error;
};
