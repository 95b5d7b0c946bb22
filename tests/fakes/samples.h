#pragma once

#include <QFile>

// A file of the tests' data.
inline QByteArray testData(const QString &name) {
    QFile file(QStringLiteral(TEST_DATA "/") + name);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A reply of an outside service, as recorded or as its documentation shows it.
inline QByteArray serviceSample(const QString &name) {
    return testData(QStringLiteral("services/") + name);
}
