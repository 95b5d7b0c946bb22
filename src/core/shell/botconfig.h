#pragma once

#include "common/datadir.h"

#include <QObject>

// Keeps the settings text in config/settings.json; never parses it.
class BotConfig : public QObject {
    Q_OBJECT
public:
    explicit BotConfig(const QString &baseDir = defaultDataDir());

    QString filePath() const { return m_filePath; }

public slots:
    void set(const QString &config);
    QString get() const;

private:
    QString m_filePath;
};
