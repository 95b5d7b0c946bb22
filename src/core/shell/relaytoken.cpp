#include "relaytoken.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <unistd.h>

namespace {
QByteArray randomToken() {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray token;
    for (int i = 0; i < RelayToken::kLength; ++i)
        token += alphabet[QRandomGenerator::system()->bounded(int(sizeof alphabet) - 1)];
    return token;
}

// Written aside, then linked into place: the first of two starts at once wins, whole.
bool publish(const QString &target, const QByteArray &token) {
    QTemporaryFile file(target + QStringLiteral(".XXXXXX"));
    if (!file.open() || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(token) != token.size() || !file.flush())
        return false;
    return ::link(QFile::encodeName(file.fileName()).constData(),
                  QFile::encodeName(target).constData()) == 0 ||
           errno == EEXIST;
}
} // namespace

QString RelayToken::path(const QString &dataDir) {
    return QDir(dataDir).filePath(QStringLiteral("config/relay-token"));
}

QString RelayToken::read(const QString &filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

QStringList RelayToken::weaknesses(const QString &filePath) {
    QStringList found;
    const QString token = read(filePath);
    if (!token.isEmpty() && token.size() < kMinLength)
        found << QStringLiteral("ВНИМАНИЕ: токен речи короче %1 знаков, его легко подобрать")
                     .arg(kMinLength);
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (QFileInfo::exists(filePath) && (QFile::permissions(filePath) & others))
        found << QStringLiteral("ВНИМАНИЕ: файл токена %1 читают и другие пользователи "
                                "(chmod 600)")
                     .arg(filePath);
    return found;
}

QString RelayToken::loadOrCreate(const QString &dataDir) {
    const QString target = path(dataDir);
    if (!QFileInfo::exists(target)) {
        QDir().mkpath(QFileInfo(target).path());
        if (!publish(target, randomToken()))
            return {};
    }
    return read(target);
}
