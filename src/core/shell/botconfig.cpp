#include "botconfig.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

BotConfig::BotConfig(const QString &baseDir) {
    const QString dir = baseDir + QStringLiteral("/config");
    QDir().mkpath(dir);
    m_filePath = dir + QStringLiteral("/settings.json");
}

// Written through a temporary file and a rename, so a failed write keeps the old settings.
void BotConfig::set(const QString &config) {
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    const QByteArray bytes = config.toUtf8();
    // A short write is not reported as an error by the file layer: check the count.
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return;
    }
    file.commit();
}

QString BotConfig::get() const {
    QString result;
    QFile file(m_filePath);
    if (file.exists() && file.open(QIODevice::ReadOnly | QIODevice::Text))
        result = QString::fromUtf8(file.readAll());
    return result.trimmed();
}

bool BotConfig::keepBroken() {
    const QString broken = m_filePath + QStringLiteral(".broken");
    QFile::remove(broken);
    return QFile::rename(m_filePath, broken);
}
