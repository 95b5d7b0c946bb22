#include "fakes/freeport.h"
#include "fakes/tempdatadir.h"
#include "shell/relaylauncher.h"

#include <QtTest>

namespace {
QUrl speechAt(quint16 port) {
    return QUrl(QStringLiteral("ws://127.0.0.1:%1/tts").arg(port));
}

bool answers(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QSignalSpy connected(&socket, &QTcpSocket::connected);
    QSignalSpy failed(&socket, &QTcpSocket::errorOccurred);
    return QTest::qWaitFor([&] { return !connected.isEmpty() || !failed.isEmpty(); }, 5000) &&
           !connected.isEmpty();
}

// A program in place of the relay that counts its starts and dies at once.
QString dyingRelay(const TempDataDir &dir) {
    dir.write(QStringLiteral("kestro-relay"), "#!/bin/sh\necho start >> \"$0.starts\"\nexit 1\n");
    QFile(dir.file(QStringLiteral("kestro-relay")))
        .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return dir.path();
}
} // namespace

class TestRelayLauncher : public QObject {
    Q_OBJECT
private slots:
    // Only a relay on this machine can be started; its ports follow the two addresses.
    void besideProgram_data() {
        QTest::addColumn<QString>("speech");
        QTest::addColumn<QStringList>("arguments"); // empty: nothing to start
        QTest::newRow("loopback") << "ws://127.0.0.1:8082/tts"
                                  << QStringList{"--speech-port", "8082",     "--followers-port",
                                                 "8081",          "--listen", "127.0.0.1"};
        QTest::newRow("localhost")
            << "ws://localhost:9000/tts"
            << QStringList{"--speech-port", "9000", "--followers-port", "8081"};
        QTest::newRow("another machine") << "ws://192.168.1.5:8082/tts" << QStringList{};
        QTest::newRow("no port") << "ws://127.0.0.1/tts" << QStringList{};
    }

    void besideProgram() {
        QFETCH(QString, speech);
        QFETCH(QStringList, arguments);
        const auto options = RelayLauncher::besideProgram(
            QUrl(speech), QUrl(QStringLiteral("ws://127.0.0.1:8081/follows")), "/opt/k");
        QCOMPARE(options.has_value(), !arguments.isEmpty());
        if (options) {
            QCOMPARE(options->program, QStringLiteral("/opt/k/kestro-relay"));
            QCOMPARE(options->arguments, arguments);
        }
    }

    // Nothing answers: the relay beside the program is started, listens, and ends on stop.
    void startsItsOwnRelayAndEndsIt() {
        const quint16 port = freePortPair();
        auto options = RelayLauncher::besideProgram(speechAt(port), speechAt(port + 1), RELAY_DIR);
        QVERIFY(options);
        RelayLauncher launcher(*options);
        QSignalSpy ready(&launcher, &RelayLauncher::ready);
        QSignalSpy status(&launcher, &RelayLauncher::status);
        launcher.start();
        QVERIFY(ready.wait(20000));
        QVERIFY(launcher.ownsRelay());
        QVERIFY(answers(port));
        launcher.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!launcher.ownsRelay(), 10000);
        QVERIFY(!answers(port));
        QVERIFY(status.isEmpty());
    }

    // Another Kestro's relay, or one run by hand, is used as it is.
    void usesARelayThatAlreadyAnswers() {
        QTcpServer running;
        QVERIFY(running.listen(QHostAddress::LocalHost));
        TempDataDir empty;
        auto options =
            RelayLauncher::besideProgram(speechAt(running.serverPort()), QUrl(), empty.path());
        RelayLauncher launcher(*options);
        QSignalSpy ready(&launcher, &RelayLauncher::ready);
        QSignalSpy status(&launcher, &RelayLauncher::status);
        launcher.start();
        QVERIFY(ready.wait(5000));
        QVERIFY(!launcher.ownsRelay());
        QVERIFY(status.isEmpty());
    }

    // A relay that keeps dying is started again after each pause, and said once.
    void aDeadRelayIsRestartedAndSaidOnce() {
        TempDataDir dir;
        auto options =
            RelayLauncher::besideProgram(speechAt(freePortPair()), QUrl(), dyingRelay(dir));
        options->firstBackoffMs = 10;
        RelayLauncher launcher(*options);
        QSignalSpy status(&launcher, &RelayLauncher::status);
        QSignalSpy failure(&launcher, &RelayLauncher::failure);
        launcher.start();
        QTRY_VERIFY_WITH_TIMEOUT(
            dir.read(QStringLiteral("kestro-relay.starts")).count("start") >= 3, 10000);
        QCOMPARE(status.size(), 1);
        QCOMPARE(status.at(0).at(0).toString(),
                 QStringLiteral("Речь: kestro-relay остановился, перезапускаем"));
        QCOMPARE(failure.size(), 1);
        QVERIFY(failure.at(0).at(0).toString().contains(QStringLiteral("(код 1)")));
    }

    void missingRelayIsSaidOnce() {
        TempDataDir empty;
        auto options = RelayLauncher::besideProgram(speechAt(freePortPair()), QUrl(), empty.path());
        RelayLauncher launcher(*options);
        QSignalSpy status(&launcher, &RelayLauncher::status);
        QSignalSpy failure(&launcher, &RelayLauncher::failure);
        launcher.start();
        QVERIFY(status.wait(5000));
        QCOMPARE(status.at(0).at(0).toString(),
                 QStringLiteral("Речь: kestro-relay не найден, алерты без озвучки"));
        QCOMPARE(failure.size(), 1);
        QVERIFY(!launcher.ownsRelay());
    }
};

QTEST_GUILESS_MAIN(TestRelayLauncher)
#include "tst_relaylauncher.moc"
