#include "fakes/tempdatadir.h"
#include "shell/speechfile.h"

#include <QtTest>

class TestSpeechFile : public QObject {
    Q_OBJECT
private slots:
    void savesEachBlockInItsOwnFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("audio") << QByteArray("OggS\0\x02opus", 10);
        QTest::newRow("empty") << QByteArray();
    }

    void savesEachBlockInItsOwnFile() {
        QFETCH(QByteArray, bytes);
        TempDataDir dir;
        SpeechFile speech(dir.path());
        QSignalSpy ready(&speech, &SpeechFile::ready);

        speech.save(bytes);
        speech.save(bytes);

        QCOMPARE(ready.count(), 2);
        const QString first = ready.at(0).at(0).toString();
        const QString second = ready.at(1).at(0).toString();
        QVERIFY(first != second);
        const QRegularExpression name(QStringLiteral("/speech-[^/]{6}\\.ogg\\.opus$"));
        for (const QString &path : {first, second}) {
            QVERIFY2(path.startsWith(dir.path()) && name.match(path).hasMatch(), qPrintable(path));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), bytes);
        }
    }

    void removeDeletesOnlyWhatExists() {
        TempDataDir dir;
        SpeechFile speech(dir.path());
        QSignalSpy ready(&speech, &SpeechFile::ready);
        speech.save("x");
        const QString path = ready.at(0).at(0).toString();

        speech.remove(dir.file("speech-absent.ogg.opus"));
        QVERIFY(QFile::exists(path));
        speech.remove(path);
        QVERIFY(!QFile::exists(path));
        speech.remove(path);
    }

    void unwritableLocationStillSignals() {
        TempDataDir dir;
        SpeechFile speech(dir.file("missing/dir"));
        QSignalSpy ready(&speech, &SpeechFile::ready);
        speech.save("x");
        QCOMPARE(ready.count(), 1);
        QCOMPARE(ready.at(0).at(0).toString(), QString());
    }
};

QTEST_GUILESS_MAIN(TestSpeechFile)
#include "tst_speechfile.moc"
