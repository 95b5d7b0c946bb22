#include "botlogger.h"

#include <QDir>

namespace {
const char *const kSuffixes[] = {".raw.log", ".chat.log", ".event.log", ".error.log", ".debug.log"};
const char *const kTypes[] = {"raw", "chat", "event", "error", "debug"};
constexpr QIODevice::OpenMode kAppend = QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text;
} // namespace

BotLogger::BotLogger(const QString &baseDir, const Clock &clock)
    : m_baseDir(baseDir)
    , m_clock(clock) {
    initDay();
}

BotLogger::~BotLogger() {
    for (QFile &file : m_files)
        file.close();
}

int BotLogger::channelOf(const QString &type) {
    for (int channel = 0; channel < ChannelCount; ++channel) {
        if (type == QLatin1String(kTypes[channel]))
            return channel;
    }
    return -1;
}

void BotLogger::initDay() {
    m_day = m_clock.localNow().date();
    const QString day = m_day.toString(QStringLiteral("yyyy-MM-dd"));
    m_dayDir = m_baseDir + QStringLiteral("/logs/") + m_day.toString(QStringLiteral("yyyy")) +
               QLatin1Char('/') + m_day.toString(QStringLiteral("yyyy-MM")) + QLatin1Char('/') +
               day + QLatin1Char('/');
    for (int channel = 0; channel < ChannelCount; ++channel)
        m_fileNames[channel] = day + QLatin1String(kSuffixes[channel]);

    QDir dir(m_dayDir);
    if (!dir.exists())
        dir.mkpath(QStringLiteral("."));

    for (int channel = 0; channel < ChannelCount; ++channel) {
        QFile &file = m_files[channel];
        file.close();
        file.setFileName(m_dayDir + m_fileNames[channel]);
        if (keptOpen(channel))
            file.open(kAppend);
    }
}

void BotLogger::log(const QString &message, const QString &type) {
    const int channel = channelOf(type);
    if (channel < 0 || (keptOpen(channel) && !m_files[channel].isOpen()))
        return;
    // One clock reading per line: local time conversion is costly.
    const QDateTime now = m_clock.localNow();
    if (m_day != now.date())
        initDay();

    QFile &file = m_files[channel];
    if (!file.isOpen() && !file.open(kAppend))
        return;
    m_line = stampOf(now);
    m_line += ' ';
    m_line += message.toUtf8();
    m_line += '\n';
    file.write(m_line);
    file.flush();
    if (!keptOpen(channel))
        file.close();
}

// Chat bursts log many lines a second; the stamp only changes once a second.
const QByteArray &BotLogger::stampOf(const QDateTime &now) {
    const qint64 second = now.toSecsSinceEpoch();
    if (second != m_stampSecond) {
        m_stamp = now.toString(QStringLiteral("[yyyy-MM-dd HH:mm:ss]")).toUtf8();
        m_stampSecond = second;
    }
    return m_stamp;
}
