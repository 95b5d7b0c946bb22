#include "fakes/tempdatadir.h"

#include <QtTest>

// Drives the real start-up sequence in a child process with a chosen main document.
class TestStartup : public QObject {
    Q_OBJECT
private:
    static int runProbe(const TempDataDir &home, const QString &document) {
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        probe.setProcessEnvironment(env);
        probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        probe.start(QStringLiteral(KESTRO_PROBE), {document});
        if (!probe.waitForFinished(120000)) {
            probe.kill();
            probe.waitForFinished();
            return -1000;
        }
        return probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -2000;
    }

    static QString dataFile(const QString &name) { return QStringLiteral(PROBE_DATA "/") + name; }

private slots:
    void brokenMainDocumentExitsWithMinusOne_data() {
        QTest::addColumn<QString>("document");
        QTest::newRow("syntax error") << dataFile("syntax-error.qml");
        QTest::newRow("unknown type") << dataFile("unknown-type.qml");
        QTest::newRow("missing file") << dataFile("absent.qml");
    }

    void brokenMainDocumentExitsWithMinusOne() {
        QFETCH(QString, document);
        TempDataDir home;
        QCOMPARE(runProbe(home, document), 255);
    }

    void shellIsReadyBeforeTheFirstEvaluation() {
        TempDataDir home;
        QCOMPARE(runProbe(home, dataFile("context.qml")), 0);

        const QString data = home.file("kestro-probe");
        const QDate today = QDate::currentDate();
        const QString dayDir = data + "/logs/" + today.toString("yyyy/yyyy-MM/yyyy-MM-dd/");
        QVERIFY(QFileInfo(data + "/config").isDir());
        QVERIFY(QFileInfo(dayDir).isDir());
        // The document's own creation already saw the modules and could use them.
        QVERIFY(home.read("kestro-probe/config/settings.json")
                    .contains(R"("channel":"object object object")"));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
