#include "speechfile.h"

#include <QFile>
#include <QTemporaryFile>

SpeechFile::SpeechFile(const QString &baseDir)
    : m_template(baseDir + QStringLiteral("/speech-XXXXXX.ogg.opus")) {}

void SpeechFile::save(const QByteArray &byteArray) {
    QString fileName;
    {
        QTemporaryFile file(m_template);
        file.setAutoRemove(false);
        if (file.open()) {
            fileName = file.fileName();
            file.write(byteArray);
            file.flush();
            file.close();
        }
    }
    emit ready(fileName);
}

void SpeechFile::remove(const QString &file_path) {
    if (QFile::exists(file_path))
        QFile::remove(file_path);
}
