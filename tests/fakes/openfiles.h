#pragma once

#include <QDir>
#include <QFileInfo>
#include <QStringList>

// The files this process holds open right now (Linux /proc), to see what a class keeps open.
inline QStringList openFiles() {
    QStringList result;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System))
        result << QFileInfo(fds.filePath(fd)).symLinkTarget();
    return result;
}
