#include "fakes/tempdatadir.h"
#include "shell/botconfig.h"

#include <QtTest>
#include <csignal>
#include <sys/resource.h>

class TestBotConfig : public QObject {
    Q_OBJECT
private slots:
    void firstStartCreatesDirectoryOnly() {
        TempDataDir dir;
        BotConfig config(dir.path());
        QVERIFY(QFileInfo(dir.file("config")).isDir());
        QVERIFY(!QFile::exists(dir.file("config/settings.json")));
        QCOMPARE(config.get(), QString());
    }

    // The file holds the chat token and the GoodGame password: owner-only, also over an
    // older file that others could read.
    void secretsAreOwnerOnly_data() {
        QTest::addColumn<bool>("olderFile");
        QTest::newRow("first save") << false;
        QTest::newRow("over a 0644 file") << true;
    }
    void secretsAreOwnerOnly() {
        QFETCH(bool, olderFile);
        TempDataDir dir;
        if (olderFile) {
            QDir().mkpath(dir.file("config"));
            QFile::setPermissions(dir.file("config"), QFile::Permissions(0x7755));
            dir.write("config/settings.json", "{}");
            QFile::setPermissions(dir.file("config/settings.json"), QFile::Permissions(0x6644));
        }
        BotConfig config(dir.path());
        QVERIFY(config.set(QStringLiteral("{\"a\":1}")));
        // Qt's flags: 0x6600 is rw for the owner (and so for us), nothing for others.
        QCOMPARE(QFileInfo(dir.file("config/settings.json")).permissions(),
                 QFile::Permissions(0x6600));
        QCOMPARE(QFileInfo(dir.file("config")).permissions(), QFile::Permissions(0x7700));
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("read");
        QTest::newRow("cyrillic") << QStringLiteral("{\"a\":\"Пауза оповещений ёЁ\"}")
                                  << QStringLiteral("{\"a\":\"Пауза оповещений ёЁ\"}");
        QTest::newRow("blank lines around")
            << QStringLiteral("\n\n  {\"x\":1}  \n\n") << QStringLiteral("{\"x\":1}");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("only white space") << QStringLiteral(" \n\t ") << QString();
    }

    void roundTrip() {
        QFETCH(QString, stored);
        QFETCH(QString, read);
        TempDataDir dir;
        BotConfig config(dir.path());
        config.set(stored);
        QCOMPARE(config.get(), read);
        // Stored exactly as given: the trimming happens on read only.
        QCOMPARE(dir.read("config/settings.json"), stored.toUtf8());
    }

    // A write that fails half way (here: the file size limit, which binds root too) must
    // leave the previous settings whole.
    void failedWriteKeepsPreviousContent() {
        TempDataDir dir;
        BotConfig config(dir.path());
        config.set(QStringLiteral("{\"keep\":\"me\"}"));

        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit oldLimit{};
        getrlimit(RLIMIT_FSIZE, &oldLimit);
        rlimit small = oldLimit;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        config.set(QString(64 * 1024, QLatin1Char('x')));
        setrlimit(RLIMIT_FSIZE, &oldLimit);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(config.get(), QStringLiteral("{\"keep\":\"me\"}"));
    }

    void uncreatableDirectoryIsSilent() {
        TempDataDir dir;
        dir.write("blocked", "a file where the data directory should be");
        BotConfig config(dir.file("blocked"));
        config.set(QStringLiteral("lost"));
        QCOMPARE(config.get(), QString());
    }
};

QTEST_GUILESS_MAIN(TestBotConfig)
#include "tst_botconfig.moc"
