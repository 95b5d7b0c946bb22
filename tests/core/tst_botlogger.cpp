#include "fakes/manualclock.h"
#include "fakes/openfiles.h"
#include "fakes/tempdatadir.h"
#include "shell/botlogger.h"

#include <QtTest>

namespace {
const QDateTime kStart(QDate(2021, 1, 9), QTime(13, 5, 7));
const QString kDay = QStringLiteral("logs/2021/2021-01/2021-01-09/2021-01-09");

bool isOpen(const QString &path) {
    return openFiles().contains(QFileInfo(path).canonicalFilePath());
}
} // namespace

class TestBotLogger : public QObject {
    Q_OBJECT
private slots:
    void constructorPreparesTheDay() {
        TempDataDir dir;
        ManualClock clock(kStart);
        BotLogger logger(dir.path(), clock);
        QCOMPARE(logger.dayDir(), dir.path() + "/logs/2021/2021-01/2021-01-09/");
        for (const char *kept : {".raw.log", ".chat.log", ".event.log"})
            QVERIFY2(isOpen(dir.file(kDay + kept)), kept);
        QVERIFY(!QFile::exists(dir.file(kDay + ".error.log")));
        QVERIFY(!QFile::exists(dir.file(kDay + ".debug.log")));
    }

    // Each channel writes to its own file; a name that is not one of them writes nothing.
    void writesEachChannelToItsFile_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("line"); // empty: written nowhere
        const auto row = [](const char *type, const char *message, const char *line) {
            QTest::newRow(*type ? type : "(empty)")
                << type << QString::fromUtf8(message) << QByteArray(line);
        };
        row("raw", "Twitch >> PING :tmi", "[2021-01-09 13:05:07] Twitch >> PING :tmi\n");
        row("chat", "[Moderator] Вася: привет", "[2021-01-09 13:05:07] [Moderator] Вася: привет\n");
        row("event", "a\nb", "[2021-01-09 13:05:07] a\nb\n");
        row("error", "", "[2021-01-09 13:05:07] \n");
        row("debug", "trace", "[2021-01-09 13:05:07] trace\n");
        for (const char *type : {"Chat", "ERROR", "info", "", " raw"})
            row(type, "lost", "");
    }

    void writesEachChannelToItsFile() {
        QFETCH(QString, type);
        QFETCH(QString, message);
        QFETCH(QByteArray, line);
        TempDataDir dir;
        ManualClock clock(kStart);
        BotLogger logger(dir.path(), clock);
        logger.log(message, type);
        QByteArray written;
        QDirIterator files(dir.file("logs"), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            file.open(QIODevice::ReadOnly);
            written += file.readAll();
        }
        QCOMPARE(written, line);
        if (!line.isEmpty())
            QCOMPARE(dir.read(kDay + "." + type + ".log"), line);
    }

    void errorAndDebugAreClosedBetweenLines_data() {
        QTest::addColumn<QString>("type");
        QTest::newRow("error") << "error";
        QTest::newRow("debug") << "debug";
    }

    void errorAndDebugAreClosedBetweenLines() {
        QFETCH(QString, type);
        TempDataDir dir;
        ManualClock clock(kStart);
        BotLogger logger(dir.path(), clock);
        const QString path = dir.file(kDay + "." + type + ".log");

        logger.log(QStringLiteral("one"), type);
        QVERIFY(!isOpen(path));
        clock.advance(1000);
        logger.log(QStringLiteral("two"), type);
        QVERIFY(!isOpen(path));
        QCOMPARE(dir.read(kDay + "." + type + ".log"),
                 QByteArray("[2021-01-09 13:05:07] one\n[2021-01-09 13:05:08] two\n"));

        // Reopened per line: a file moved away by hand is simply started again.
        QFile::remove(path);
        logger.log(QStringLiteral("three"), type);
        QCOMPARE(dir.read(kDay + "." + type + ".log"), QByteArray("[2021-01-09 13:05:08] three\n"));
    }

    void dayChangeMovesToNewDirectory() {
        TempDataDir dir;
        ManualClock clock(QDateTime(QDate(2021, 12, 31), QTime(23, 59, 59)));
        BotLogger logger(dir.path(), clock);
        const QString oldDay = QStringLiteral("logs/2021/2021-12/2021-12-31/2021-12-31");
        const QString newDay = QStringLiteral("logs/2022/2022-01/2022-01-01/2022-01-01");
        logger.log(QStringLiteral("old year"), QStringLiteral("chat"));

        clock.advance(2000);
        logger.log(QStringLiteral("new year"), QStringLiteral("event"));
        logger.log(QStringLiteral("still here"), QStringLiteral("chat"));

        QCOMPARE(dir.read(oldDay + ".chat.log"), QByteArray("[2021-12-31 23:59:59] old year\n"));
        QCOMPARE(dir.read(newDay + ".event.log"), QByteArray("[2022-01-01 00:00:01] new year\n"));
        QCOMPARE(dir.read(newDay + ".chat.log"), QByteArray("[2022-01-01 00:00:01] still here\n"));
        QCOMPARE(logger.dayDir(), dir.path() + "/logs/2022/2022-01/2022-01-01/");
        for (const char *kept : {".raw.log", ".chat.log", ".event.log"}) {
            QVERIFY2(!isOpen(dir.file(oldDay + kept)), kept);
            QVERIFY2(isOpen(dir.file(newDay + kept)), kept);
        }
    }

    void unusableDirectoryIsSilent() {
        TempDataDir dir;
        dir.write("blocked", "a file where the data directory should be");
        ManualClock clock(kStart);
        BotLogger logger(dir.file("blocked"), clock);
        for (const char *type : {"raw", "chat", "event", "error", "debug"})
            logger.log(QStringLiteral("lost"), QLatin1String(type));
        QCOMPARE(QFileInfo(dir.file("blocked")).isFile(), true);
    }
};

QTEST_GUILESS_MAIN(TestBotLogger)
#include "tst_botlogger.moc"
