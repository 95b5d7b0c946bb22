#pragma once

#include <QFile>

// A reply of an outside service, as recorded or as its documentation shows it.
inline QByteArray serviceSample(const QString &name) {
    QFile file(QStringLiteral(TEST_DATA "/services/") + name);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}
