#include "fakes/ircserver.h"
#include "services/twitch/twitchsocket.h"

#include <QSslKey>
#include <QSslSocket>
#include <QtTest>

namespace {
// Hands the raw descriptor over, so a server-side TLS socket can take the connection.
class DescriptorServer final : public QTcpServer {
public:
    qintptr descriptor = -1;

protected:
    void incomingConnection(qintptr handle) override { descriptor = handle; }
};

const QByteArray kLogin =
    "PASS oauth:secret\r\nNICK bot\r\nCAP REQ :twitch.tv/membership\r\n"
    "CAP REQ :twitch.tv/commands\r\nCAP REQ :twitch.tv/tags\r\nJOIN #chan\r\n";
} // namespace

// A socket logged in to a loopback server, with every signal recorded.
struct SocketRig {
    IrcServer server;
    TwitchSocket socket;
    QSignalSpy connected{&socket, &TwitchSocket::connected};
    QSignalSpy disconnected{&socket, &TwitchSocket::disconnected};
    QSignalSpy received{&socket, &TwitchSocket::received};
    QSignalSpy logging{&socket, &TwitchSocket::logging};
    QSignalSpy failure{&socket, &TwitchSocket::failure};

    bool login(const QString &channel = QStringLiteral("chan")) {
        socket.start(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("bot"),
                     QStringLiteral("oauth:secret"), channel);
        return server.accept() && connected.wait(5000) &&
               server.receivedAtLeast(kLogin.size()) == kLogin;
    }

    QStringList lines() const {
        QStringList result;
        for (const QList<QVariant> &args : received)
            result << args.at(0).toString();
        return result;
    }

    // One segment, read by the client before the next is sent, so no two merge.
    bool sendApart(const QByteArray &segment) {
        QSignalSpy read(socket.findChild<QAbstractSocket *>(), &QIODevice::readyRead);
        server.send(segment);
        return read.wait(5000);
    }

    // Every line before a last one of our own; once it is here nothing earlier is on its way.
    QStringList linesBeforeTheEnd() {
        server.send("PING :end\r\n");
        if (!QTest::qWaitFor([this] { return lines().endsWith("PING :end"); }, 5000))
            return {QStringLiteral("(the end line never came)")};
        QStringList all = lines();
        all.removeLast();
        return all;
    }
};

class TestTwitchSocket : public QObject {
    Q_OBJECT
private slots:
    void loginSequence_data() {
        QTest::addColumn<QString>("channel");
        QTest::newRow("without #") << "chan";
        QTest::newRow("with #") << "#chan";
    }

    void loginSequence() {
        QFETCH(QString, channel);
        SocketRig rig;
        QVERIFY(rig.login(channel));
        const QString port = QString::number(rig.server.port());
        QCOMPARE(rig.connected.first().at(0).toString(),
                 "Соединились с сервером Twitch 127.0.0.1:" + port);
        QStringList logged;
        for (const QList<QVariant> &args : rig.logging)
            logged << args.at(0).toString();
        QCOMPARE(logged,
                 (QStringList{"Twitch << PASS XXXXXXXXXXXXXXXX", "Twitch << NICK bot",
                              "Twitch << CAP REQ :twitch.tv/membership",
                              "Twitch << CAP REQ :twitch.tv/commands",
                              "Twitch << CAP REQ :twitch.tv/tags", "Twitch << JOIN #chan"}));
    }

    void chatAndCommand() {
        SocketRig rig;
        QVERIFY(rig.login());
        rig.logging.clear();
        rig.socket.chat(QStringLiteral("привет 'all'"));
        rig.socket.command(QStringLiteral("PONG"), QStringLiteral(":tmi.twitch.tv"));
        const QByteArray expected =
            kLogin + "PRIVMSG #chan :привет 'all'\r\nPONG :tmi.twitch.tv\r\n";
        QCOMPARE(rig.server.receivedAtLeast(expected.size()), expected);
        QCOMPARE(rig.logging.size(), 1);
        QCOMPARE(rig.logging.first().at(0).toString(),
                 QStringLiteral("Twitch << PRIVMSG #chan :привет 'all'"));
    }

    void secondStartIsIgnored() {
        SocketRig rig;
        QVERIFY(rig.login());
        rig.socket.start(QStringLiteral("127.0.0.1"), rig.server.port(), "other", "t", "other");
        rig.socket.chat(QStringLiteral("x"));
        const QByteArray expected = kLogin + "PRIVMSG #chan :x\r\n";
        QCOMPARE(rig.server.receivedAtLeast(expected.size()), expected);
        QVERIFY(!rig.server.server.hasPendingConnections());
    }

    // On Twitch's TLS port the connection is encrypted and the server is verified: an
    // untrusted certificate ends the attempt before any login line, so the token never leaks.
    void tlsPortVerifiesThePeer() {
        DescriptorServer server;
        if (!server.listen(QHostAddress::LocalHost, TwitchSocket::kTlsPort))
            QSKIP("port 6697 is taken on this machine");
        TwitchSocket socket;
        QSignalSpy received(&socket, &TwitchSocket::received);
        QSignalSpy connected(&socket, &TwitchSocket::connected);
        socket.start(QStringLiteral("127.0.0.1"), TwitchSocket::kTlsPort, "bot", "oauth:secret",
                     "chan");
        QTRY_VERIFY_WITH_TIMEOUT(server.descriptor >= 0, 5000);
        QSslSocket tls;
        QVERIFY(tls.setSocketDescriptor(server.descriptor));
        QFile key(QStringLiteral(TEST_DATA "/tls-test.key"));
        QFile certificate(QStringLiteral(TEST_DATA "/tls-test.crt"));
        QVERIFY(key.open(QIODevice::ReadOnly) && certificate.open(QIODevice::ReadOnly));
        tls.setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
        tls.setLocalCertificate(QSslCertificate(certificate.readAll()));
        tls.startServerEncryption();
        QVERIFY(received.wait(5000));
        QCOMPARE(received.first().at(0).toString(),
                 "ОШИБКА: " + QString::number(QAbstractSocket::SslHandshakeFailedError));
        QCOMPARE(connected.size(), 0);
        QVERIFY(!tls.readAll().contains("oauth:secret"));
    }

    // Sends never wait on the server: one that reads nothing gets the link dropped instead.
    void stalledServerBreaksTheLink() {
        DescriptorServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        TwitchSocket socket;
        QSignalSpy connected(&socket, &TwitchSocket::connected);
        QSignalSpy broken(&socket, &TwitchSocket::broken);
        QSignalSpy failure(&socket, &TwitchSocket::failure);
        socket.start(QStringLiteral("127.0.0.1"), silent.serverPort(), "bot", "t", "chan");
        QVERIFY(connected.wait(5000));
        const QString text(1000, QLatin1Char('x'));
        for (int i = 0; i < 50000 && broken.isEmpty(); ++i) {
            socket.chat(text);
            QCoreApplication::processEvents();
        }
        QCOMPARE(broken.size(), 1);
        QCOMPARE(failure.size(), 1);
    }

    void socketErrorIsReceivedAsLine() {
        SocketRig rig;
        const quint16 port = rig.server.port();
        rig.server.server.close();
        rig.socket.start(QStringLiteral("127.0.0.1"), port, "bot", "t", "chan");
        QVERIFY(rig.received.wait(5000));
        QCOMPARE(rig.lines(), QStringList{"ОШИБКА: 0"});
    }

    void framing_data() {
        QTest::addColumn<QList<QByteArray>>("segments");
        QTest::addColumn<QStringList>("lines");
        const QByteArray tagged = "@badge-info=;color=#FF0000;display-name=Вася "
                                  ":vasya!vasya@vasya.tmi.twitch.tv PRIVMSG #chan :привет\r\n";
        QList<QByteArray> bytewise;
        for (char c : tagged)
            bytewise << QByteArray(1, c);
        QTest::newRow("split byte by byte")
            << bytewise << QStringList{QString::fromUtf8(tagged).trimmed()};
        QTest::newRow("three lines in one segment")
            << QList<QByteArray>{"PING :a\r\nPING :b\r\n\r\n"}
            << QStringList{"PING :a", "PING :b", ""};
        const QByteArray longLine = "PRIVMSG #chan :" + QByteArray(5000, 'x');
        QTest::newRow("5000 bytes")
            << QList<QByteArray>{longLine.left(1999), longLine.mid(1999) + "\r\n"}
            << QStringList{QString::fromLatin1(longLine)};
        QTest::newRow("text after a NUL is cut")
            << QList<QByteArray>{QByteArray("PING :a\0b\r\n", 11)} << QStringList{"PING :a"};
    }

    void framing() {
        QFETCH(QList<QByteArray>, segments);
        QFETCH(QStringList, lines);
        SocketRig rig;
        QVERIFY(rig.login());
        for (const QByteArray &segment : segments)
            QVERIFY(rig.sendApart(segment));
        QCOMPARE(rig.linesBeforeTheEnd(), lines);
    }

    void overlongLineIsDroppedOnce() {
        SocketRig rig;
        QVERIFY(rig.login());
        const QByteArray huge(TwitchSocket::kMaxLine + 10, 'y');
        rig.server.send("PING :before\r\n" + huge.left(40000));
        rig.server.send(huge.mid(40000));
        rig.server.send(QByteArray(70000, 'z'));
        rig.server.send("tail\r\nPING :after\r\n");
        QCOMPARE(rig.linesBeforeTheEnd(), (QStringList{"PING :before", "PING :after"}));
        QCOMPARE(rig.failure.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestTwitchSocket)
#include "tst_twitchsocket.moc"
