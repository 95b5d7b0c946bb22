#pragma once

#include "common/datadir.h"

#include <QObject>

// Turns received speech audio into files the media player can play, and deletes them later.
class SpeechFile : public QObject {
    Q_OBJECT
public:
    explicit SpeechFile(const QString &baseDir = defaultDataDir());

signals:
    void ready(const QString &url);

public slots:
    void save(const QByteArray &byteArray);
    void remove(const QString &file_path);

private:
    QString m_template;
};
