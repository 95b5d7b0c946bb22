#include "fakes/freeport.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QWebSocket>
#include <QtTest>

namespace {
struct Ran {
    int code = -1;
    QByteArray output;
};

Ran run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(600000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAll()};
}

bool answers(quint16 port) {
    QTcpSocket socket;
    QSignalSpy connected(&socket, &QTcpSocket::connected);
    QSignalSpy failed(&socket, &QTcpSocket::errorOccurred);
    socket.connectToHost(QHostAddress::LocalHost, port);
    return QTest::qWaitFor([&] { return !connected.isEmpty() || !failed.isEmpty(); }, 5000) &&
           !connected.isEmpty();
}

// One spoken text from the relay at the port: its audio.
QByteArray speak(quint16 port, const QByteArray &token) {
    QByteArray audio;
    QWebSocket socket;
    QObject::connect(&socket, &QWebSocket::connected, [&] {
        const QJsonObject request{{"token", QString::fromLatin1(token)}, {"text", "Привет, чат!"}};
        socket.sendTextMessage(QString::fromUtf8(QJsonDocument(request).toJson()));
    });
    QObject::connect(&socket, &QWebSocket::binaryMessageReceived,
                     [&](const QByteArray &bytes) { audio += bytes; });
    QSignalSpy closed(&socket, &QWebSocket::disconnected);
    socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/tts").arg(port)));
    closed.wait(30000);
    return audio;
}

const QString kId = QStringLiteral("app.kestro.Kestro");
} // namespace

// The Debian package as it installs: built from this tree, unpacked, checked by Debian's own
// tools, and its Kestro started from the unpacked files.
class TestPackage : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_out;
    QString m_deb;
    QString root(const QString &path) const { return m_out.filePath("root/" + path); }

private slots:
    void initTestCase() {
        const Ran packed = run(
            "cpack", {"-G", "DEB", "--config", BUILD_DIR "/CPackConfig.cmake", "-B", m_out.path()});
        QVERIFY2(packed.code == 0, packed.output.constData());
        m_deb = m_out.filePath("kestro_" KESTRO_VERSION "_amd64.deb");
        QVERIFY2(QFile::exists(m_deb), packed.output.constData());
        QCOMPARE(run("dpkg-deb", {"-x", m_deb, m_out.filePath("root")}).code, 0);
    }

    void filesAreInPlace_data() {
        QTest::addColumn<QString>("path");
        for (const char *path :
             {"usr/bin/kestro", "usr/bin/kestro-relay", "usr/share/man/man1/kestro.1.gz",
              "usr/share/man/man1/kestro-relay.1.gz", "usr/share/doc/kestro/copyright",
              "usr/share/doc/kestro/changelog.gz",
              "usr/share/icons/hicolor/48x48/apps/app.kestro.Kestro.png",
              "usr/share/icons/hicolor/128x128/apps/app.kestro.Kestro.png",
              "usr/share/icons/hicolor/256x256/apps/app.kestro.Kestro.png",
              "usr/share/icons/hicolor/scalable/apps/app.kestro.Kestro.svg",
              "usr/share/applications/app.kestro.Kestro.desktop",
              "usr/share/metainfo/app.kestro.Kestro.metainfo.xml"})
            QTest::newRow(path) << QString::fromLatin1(path);
    }

    void filesAreInPlace() {
        QFETCH(QString, path);
        QVERIFY2(QFileInfo(root(path)).size() > 0, qPrintable(path));
    }

    // Linked libraries come from dpkg-shlibdeps; what is loaded at run time is named by hand.
    void dependsNamesWhatKestroLoads() {
        const Ran depends = run("dpkg-deb", {"-f", m_deb, "Depends"});
        for (const char *package :
             {"libqt5core5a", "libqt5webengine5", "libespeak-ng1", "qml-module-qtwebengine",
              "qml-module-qtquick-controls2", "gstreamer1.0-plugins-good", "espeak-ng-data"})
            QVERIFY2(depends.output.contains(package), package);
    }

    void debianChecksPass_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry")
            << "desktop-file-validate"
            << QStringList{root("usr/share/applications/" + kId + ".desktop")};
        QTest::newRow("appstream")
            << "appstreamcli"
            << QStringList{"validate", "--no-net",
                           root("usr/share/metainfo/" + kId + ".metainfo.xml")};
        QTest::newRow("lintian") << "lintian" << QStringList{"--fail-on", "error", m_deb};
    }

    void debianChecksPass() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        const Ran checked = run(program, arguments);
        QVERIFY2(checked.code == 0, checked.output.constData());
        QVERIFY2(!checked.output.contains("E: "), checked.output.constData());
    }

    void versionsArePrinted() {
        QCOMPARE(run(root("usr/bin/kestro"), {"--version"}).output, "kestro " KESTRO_VERSION "\n");
        QCOMPARE(run(root("usr/bin/kestro-relay"), {"--version"}).output,
                 "kestro-relay " KESTRO_VERSION "\n");
    }

    // A first start with no relay running: Kestro starts the one beside it, which speaks, and
    // which ends with Kestro.
    void installedKestroBringsItsRelay() {
        QTemporaryDir home;
        const quint16 port = freePortPair();
        const QString data = home.filePath(".local/share/kestro");
        QDir().mkpath(data + "/config");
        QFile endpoints(data + "/config/endpoints.json");
        QVERIFY(endpoints.open(QIODevice::WriteOnly));
        const QJsonObject relay{
            {"relaySpeech", QStringLiteral("ws://127.0.0.1:%1/tts").arg(port)},
            {"relayFollowers", QStringLiteral("ws://127.0.0.1:%1/follows").arg(port + 1)}};
        endpoints.write(QJsonDocument(relay).toJson());
        endpoints.close();
        QVERIFY(!answers(port));

        QProcess kestro;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_DATA_HOME", home.filePath(".local/share"));
        env.insert("XDG_CONFIG_HOME", home.filePath(".config"));
        env.insert("XDG_CACHE_HOME", home.filePath(".cache"));
        kestro.setProcessEnvironment(env);
        kestro.setProcessChannelMode(QProcess::ForwardedChannels);
        kestro.start(root("usr/bin/kestro"), QStringList());
        QVERIFY(kestro.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(answers(port), 60000);

        QFile token(data + "/config/relay-token");
        QVERIFY(token.open(QIODevice::ReadOnly));
        QVERIFY(speak(port, token.readAll().trimmed()).startsWith("OggS"));

        kestro.terminate();
        QVERIFY(kestro.waitForFinished(30000));
        QTRY_VERIFY_WITH_TIMEOUT(!answers(port), 10000);
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
