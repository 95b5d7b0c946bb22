#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A fresh per-user data directory for one test, removed afterwards.
class TempDataDir {
public:
    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const { return m_dir.filePath(relative); }

    QByteArray read(const QString &relative) const {
        QFile file(this->file(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void write(const QString &relative, const QByteArray &bytes) const {
        QDir().mkpath(QFileInfo(file(relative)).path());
        QFile file(this->file(relative));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }

private:
    QTemporaryDir m_dir;
};
