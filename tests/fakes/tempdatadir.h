#pragma once

#include <QDir>
#include <QDirIterator>
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

    // A file besides the settings (which keep the logins) that holds one of these secrets; none
    // when no log or other file does.
    QString fileHolding(const QList<QByteArray> &secrets) const {
        QDirIterator files(path(), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.fileName().endsWith(QLatin1String("settings.json")) ||
                !file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = file.readAll();
            for (const QByteArray &secret : secrets) {
                if (bytes.contains(secret))
                    return file.fileName();
            }
        }
        return {};
    }

private:
    QTemporaryDir m_dir;
};
