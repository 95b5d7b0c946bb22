#pragma once

#include "common/clock.h"
#include "common/datadir.h"

#include <QFile>
#include <QObject>
#include <array>

// Writes time-stamped lines into per-day files, one file per log channel.
class BotLogger : public QObject {
    Q_OBJECT
public:
    explicit BotLogger(const QString &baseDir = defaultDataDir(),
                       const Clock &clock = Clock::system());
    ~BotLogger() override;

    // The directory of the day the logger is writing now, ending with "/".
    QString dayDir() const { return m_dayDir; }

public slots:
    void log(const QString &message, const QString &type);

private:
    enum Channel { Raw, Chat, Event, Error, Debug, ChannelCount };

    static int channelOf(const QString &type);
    static bool keptOpen(int channel) { return channel <= Event; }
    void initDay();
    const QByteArray &stampOf(const QDateTime &now);

    QString m_baseDir;
    const Clock &m_clock;
    QString m_dayDir;
    QDate m_day;
    qint64 m_stampSecond = -1;
    QByteArray m_stamp;
    QByteArray m_line;
    std::array<QString, ChannelCount> m_fileNames;
    std::array<QFile, ChannelCount> m_files;
};
