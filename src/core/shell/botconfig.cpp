#include "botconfig.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

BotConfig::BotConfig(const QString &baseDir) {
    const QString dir = baseDir + QStringLiteral("/config");
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_filePath = dir + QStringLiteral("/settings.json");
}

// Written through a temporary file and a rename, so a failed write keeps the old settings.
// The temporary file would copy the old file's mode: it is made owner-only before the rename.
bool BotConfig::set(const QString &config) {
    QSaveFile file(m_filePath);
    const QByteArray bytes = config.toUtf8();
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Text) &&
                   file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    // A short write is not reported as an error by the file layer: check the count.
    written = written && file.write(bytes) == bytes.size();
    m_error = file.errorString();
    if (!written) {
        file.cancelWriting();
        return false;
    }
    written = file.commit();
    m_error = written ? QString() : file.errorString();
    return written;
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
