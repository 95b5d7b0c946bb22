#include "alerts/secrets.h"
#include "espeaksynth.h"
#include "fakes/chatrig.h"
#include "fakes/httpserver.h"
#include "fakes/manualscheduler.h"
#include "fakes/tables.h"
#include "fakes/tempdatadir.h"
#include "fakes/twitchidserver.h"
#include "fakes/wsserver.h"
#include "followersserver.h"
#include "services/twitch/eventsub.h"
#include "speechserver.h"
#include "twitchlogin.h"

#include <QtTest>
#include <opus/opusfile.h>

namespace {
const QString kToken = QStringLiteral("tok");

// Seconds of audio in an Ogg Opus file, decoded; -1 when it does not decode.
double seconds(const QByteArray &audio) {
    int error = 0;
    OggOpusFile *file = op_open_memory(reinterpret_cast<const unsigned char *>(audio.constData()),
                                       size_t(audio.size()), &error);
    if (!file)
        return -1;
    const ogg_int64_t samples = op_pcm_total(file, -1);
    op_free(file);
    return samples < 0 ? -1 : samples / 48000.0;
}

// This process's resident memory.
qint64 residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// One client exchange with the speech endpoint: what came back and how it ended.
struct Exchange {
    QByteArray audio;
    int closeCode = -1;

    static Exchange run(quint16 port, const QString &request, const QString &path = "/tts") {
        Exchange result;
        QWebSocket socket;
        QObject::connect(&socket, &QWebSocket::connected, [&] { socket.sendTextMessage(request); });
        QObject::connect(&socket, &QWebSocket::binaryMessageReceived,
                         [&](const QByteArray &bytes) { result.audio += bytes; });
        QSignalSpy closed(&socket, &QWebSocket::disconnected);
        socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(port).arg(path)));
        closed.wait(20000);
        result.closeCode = socket.closeCode();
        return result;
    }
};

QString request(const QString &text, const QString &voice = {}) {
    Json body{{"token", stdstr(kToken)}, {"text", stdstr(text)}};
    if (!voice.isEmpty())
        body["voice"] = stdstr(voice);
    return qstr(body.dump());
}

// A followers client of one room, with what it received.
struct Follower {
    QWebSocket socket;
    QStringList received;
    Follower(quint16 port, const QString &hello) {
        QObject::connect(&socket, &QWebSocket::connected,
                         [this, hello] { socket.sendTextMessage(hello); });
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString &text) { received << text; });
        socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/follows").arg(port)));
    }
};
} // namespace

class TestRelay : public QObject {
    Q_OBJECT
private:
    EspeakSynth m_synth;
    QStringList m_log;
    RelayLog log() {
        return [this](const QString &line) {
            m_log << line;
        };
    }

private slots:
    void init() { m_log.clear(); }

    void speechIsOggOpus_data() {
        QTest::addColumn<QString>("voice");
        QTest::newRow("random") << QString();
        for (const QString &voice : SpeechSynth::voices())
            QTest::newRow(qPrintable(voice)) << voice;
    }
    void speechIsOggOpus() {
        QFETCH(QString, voice);
        QVERIFY(m_synth.ready());
        SpeechServer server(kToken, m_synth, log());
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const Exchange shortText = Exchange::run(server.port(), request("Привет", voice));
        QVERIFY(shortText.audio.startsWith("OggS"));
        QVERIFY(shortText.audio.contains("OpusHead"));
        const Exchange longText =
            Exchange::run(server.port(), request("Спасибо за подписку, дорогой зритель! "
                                                 "Добро пожаловать на канал.",
                                                 voice));
        QVERIFY(seconds(shortText.audio) > 0.2);
        QVERIFY2(seconds(longText.audio) > 2 * seconds(shortText.audio),
                 qPrintable(QString::number(seconds(longText.audio))));
    }

    void voicesSoundDifferent() {
        const QByteArray female = m_synth.speak(QStringLiteral("Привет"), QStringLiteral("jane"));
        const QByteArray male = m_synth.speak(QStringLiteral("Привет"), QStringLiteral("ermil"));
        QVERIFY(!female.isEmpty());
        QVERIFY(female != male);
    }

    // Each bad request is logged and closed, never with the token in the log, and the relay
    // answers the next good one.
    void badRequestsAreRefused_data() {
        addTableRows("relay-bad-requests.tsv", {"message", "closing", "logged"});
        QTest::newRow("nested past the limit")
            << R"({"token":"tok","text":"x","v":)" + QString(2000, QLatin1Char('[')) +
                   QString(2000, QLatin1Char(']')) + "}"
            << "datatype"
            << "не JSON-объект";
        QTest::newRow("long text") << request(QString(2001, QLatin1Char('a'))) << "datatype"
                                   << "длиннее 2000";
    }
    void badRequestsAreRefused() {
        QFETCH(QString, message);
        QFETCH(QString, closing);
        QFETCH(QString, logged);
        SpeechServer server(kToken, m_synth, log());
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const Exchange refused = Exchange::run(server.port(), message);
        QVERIFY(refused.audio.isEmpty());
        QCOMPARE(refused.closeCode, int(closing == QLatin1String("policy")
                                            ? QWebSocketProtocol::CloseCodePolicyViolated
                                            : QWebSocketProtocol::CloseCodeWrongDatatype));
        QCOMPARE(m_log.size(), 2); // listening, then the refusal
        QVERIFY2(m_log.last().contains(logged), qPrintable(m_log.last()));
        QVERIFY(!m_log.join(' ').contains(kToken));
        QVERIFY(Exchange::run(server.port(), request("да")).audio.startsWith("OggS"));
    }

    void otherPathIsRefused() {
        SpeechServer server(kToken, m_synth, log());
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const Exchange refused = Exchange::run(server.port(), request("x"), "/other");
        QVERIFY(refused.audio.isEmpty());
        QVERIFY2(m_log.last().contains("нет такого адреса: /other"), qPrintable(m_log.last()));
    }

    // A local process holding every slot with silent connections cannot stop speech.
    void idleConnectionsGiveWayToARequest() {
        SpeechServer server(kToken, m_synth, log());
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        std::vector<std::unique_ptr<QWebSocket>> idle;
        for (int i = 0; i < 64; ++i) {
            idle.push_back(std::make_unique<QWebSocket>());
            idle.back()->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/tts").arg(server.port())));
        }
        QTRY_COMPARE(server.clients(), 64);
        QVERIFY(Exchange::run(server.port(), request("да")).audio.startsWith("OggS"));
        QVERIFY(m_log.filter("молчащее закрыто").size() >= 1);
    }

    // Clients whose requests were accepted keep their slots: the next one is refused.
    void acceptedClientsFillTheCap() {
        FollowersServer server(nullptr, log(), 2000, 2);
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        Follower first(server.port(), R"({"to_id":1})");
        Follower second(server.port(), R"({"to_id":2})");
        QTRY_COMPARE(m_log.filter("ждём фолловеров").size(), 2);
        Follower third(server.port(), R"({"to_id":3})");
        QSignalSpy closed(&third.socket, &QWebSocket::disconnected);
        QVERIFY(closed.wait(5000));
        QCOMPARE(int(third.socket.closeCode()), int(QWebSocketProtocol::CloseCodeTooMuchData));
        QVERIFY(m_log.filter("слишком много соединений").size() == 1);
    }

    // A frame announcing 200 MB is refused from its header, before its bytes are read.
    void oversizedMessageIsRefusedUnread_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("cap");
        QTest::newRow("speech") << "/tts" << SpeechServer::kMaxRequestBytes;
        QTest::newRow("followers") << "/follows" << FollowersServer::kMaxRequestBytes;
    }
    void oversizedMessageIsRefusedUnread() {
        QFETCH(QString, path);
        QFETCH(qint64, cap);
        SpeechServer speech(kToken, m_synth, log());
        FollowersServer followers(nullptr, log());
        QVERIFY(speech.listen(QHostAddress::LocalHost, 0));
        QVERIFY(followers.listen(QHostAddress::LocalHost, 0));
        const quint16 port = path == QLatin1String("/tts") ? speech.port() : followers.port();
        const qint64 before = residentKb();
        QTcpSocket raw;
        raw.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(raw.waitForConnected(5000));
        raw.write(
            "GET " + path.toLatin1() +
            " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
            "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
        QTRY_VERIFY(raw.bytesAvailable() > 0 && raw.peek(4096).contains("\r\n\r\n"));
        raw.readAll();
        QByteArray frame("\x81\xff", 2); // a text frame, masked, 64-bit length
        for (int shift = 56; shift >= 0; shift -= 8)
            frame += char((qint64(200) * 1024 * 1024 >> shift) & 0xff);
        frame += QByteArray(4, '\x5a') + QByteArray(1024 * 1024, 'a');
        raw.write(frame);
        QSignalSpy gone(&raw, &QTcpSocket::disconnected);
        QVERIFY(gone.wait(5000));
        QVERIFY2(!m_log.filter(QStringLiteral("сообщение больше %1 байт").arg(cap)).isEmpty(),
                 qPrintable(m_log.join('\n')));
        QVERIFY2(residentKb() - before < 32 * 1024, qPrintable(QString::number(residentKb())));
        QCOMPARE(speech.clients() + followers.clients(), 0);
    }

    void silentClientIsClosed() {
        SpeechServer server(kToken, m_synth, log(), 100);
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QWebSocket socket;
        QSignalSpy closed(&socket, &QWebSocket::disconnected);
        socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/tts").arg(server.port())));
        QVERIFY(closed.wait(5000));
        QVERIFY(m_log.last().contains(QStringLiteral("молчит")));
        QTRY_COMPARE(server.clients(), 0);
    }

    void clientGoneBeforeTheAnswer() {
        SpeechServer server(kToken, m_synth, log());
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        {
            QWebSocket socket;
            QSignalSpy open(&socket, &QWebSocket::connected);
            socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/tts").arg(server.port())));
            QVERIFY(open.wait(5000));
            socket.sendTextMessage(request(QString(1500, QLatin1Char('a'))));
            socket.flush();
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_log.last().contains(QStringLiteral("не дождавшись")), 20000);
        QVERIFY(Exchange::run(server.port(), request("да")).audio.startsWith("OggS"));
    }

    // The subscription the relay makes, and a follow reaching exactly the clients of its room.
    void followsReachTheirRoom() {
        WsServer twitch;
        HttpServer helix;
        helix.route("/helix/eventsub/subscriptions", 202, "{}");
        ManualScheduler scheduler;
        EventSub eventSub(twitch.url("/ws"), QUrl(helix.url().toString() + "/helix"),
                          {"client", "secret-token"}, scheduler, log());
        FollowersServer server(&eventSub, log());
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        eventSub.start();
        QVERIFY(twitch.waitForClient());
        Follower first(server.port(), R"({"to_id":5})");
        Follower second(server.port(), R"({"to_id":5})");
        Follower other(server.port(), R"({"to_id":7})");
        QTRY_COMPARE(server.clients(), 3);
        QTRY_VERIFY(m_log.filter("ждём фолловеров").size() == 3);
        twitch.send(R"({"metadata":{"message_type":"session_welcome"},)"
                    R"("payload":{"session":{"id":"S1"}}})");
        QTRY_COMPARE(helix.fullRequests.size(), 2);
        const QByteArray posts = helix.fullRequests.at(0) + helix.fullRequests.at(1);
        QVERIFY(posts.contains(R"("broadcaster_user_id":"5","moderator_user_id":"5")"));
        QVERIFY(posts.contains(R"("broadcaster_user_id":"7")"));

        twitch.send(R"({"metadata":{"message_type":"notification"},"payload":{"subscription":)"
                    R"({"type":"channel.follow"},"event":{"user_name":"Ann",)"
                    R"("broadcaster_user_id":"5"}}})");
        const QString expected = R"({"data":[{"from_name":"Ann"}]})";
        QTRY_COMPARE(first.received, QStringList{expected});
        QTRY_COMPARE(second.received, QStringList{expected});
        // A round trip on the other client's connection: anything sent to it came before.
        QSignalSpy pong(&other.socket, &QWebSocket::pong);
        other.socket.ping();
        QVERIFY(pong.wait(5000));
        QVERIFY(other.received.isEmpty());
        QVERIFY(!m_log.join(' ').contains("secret-token"));
    }

    // As a user would run it: the link and code are printed, the file is written once the code
    // is confirmed, for the owner alone, and the token shows nowhere.
    void twitchLoginWritesTheFile() {
        TwitchIdServer id;
        QTemporaryDir dir;
        const QString path = dir.filePath("config/twitch.json");
        QProcess relay;
        QByteArray said;
        connect(&relay, &QProcess::readyReadStandardOutput,
                [&] { said += relay.readAllStandardOutput(); });
        QSignalSpy finished(&relay, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
        relay.start(RELAY, {"--twitch-login", "--twitch-credentials", path, "--twitch-client-id",
                            "cid", "--id-api", id.http.url().toString()});
        QTRY_VERIFY_WITH_TIMEOUT(said.contains("ABCDEFGH"), 10000);
        QVERIFY(said.contains(id.http.url().toString().toUtf8() + "/activate"));
        id.http.route("/oauth2/token", 200, serviceSample("twitch-oauth2-token.json"));
        QVERIFY(finished.wait(15000));
        QCOMPARE(relay.exitCode(), 0);
        QVERIFY(said.contains("ynot01"));
        QVERIFY(!QByteArray(said + relay.readAllStandardError())
                     .contains(TwitchIdServer::accessToken()));
        QCOMPARE(QFileInfo(path).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const Json record = parseJson(file.readAll());
        for (const char *key : {"client_id", "access_token", "refresh_token", "login", "user_id"})
            QVERIFY2(jsonAt(record, {key}).is_string(), key);
        QCOMPARE(record.at("user_id"), Json("35903581"));
        QVERIFY(record.at("expires_at").get<qint64>() > QDateTime::currentSecsSinceEpoch());
    }

    // A token near its end is renewed as the relay starts, and the rotated one is on the disk.
    void relayKeepsRotatedTokens() {
        TwitchIdServer id;
        id.http.route("/oauth2/token", 200, serviceSample("twitch-oauth2-token.json"));
        QTemporaryDir dir;
        const QString path = dir.filePath("twitch.json");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(R"({"client_id":"cid","access_token":"A1","refresh_token":"R1",)") +
                   R"("expires_at":)" +
                   QByteArray::number(QDateTime::currentSecsSinceEpoch() + 10) + "}");
        file.close();
        RelayTwitchLogin login(path, {}, id.http.url(), log());
        QVERIFY(login.restore());
        QTRY_COMPARE(login.credentials().accessToken, QLatin1String(TwitchIdServer::accessToken()));
        const auto stored = [&] {
            QFile written(path);
            return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
        };
        QTRY_VERIFY(stored().contains("5b93chm6hdve3"));
        QCOMPARE(login.credentials().clientId, QStringLiteral("cid"));
        QVERIFY(id.http.fullRequests.first().endsWith("refresh_token=R1"));
        QVERIFY(!RelayTwitchLogin(dir.filePath("none.json"), {}, id.http.url(), log()).restore());
    }

    void badRoomIsRefused_data() {
        QTest::addColumn<QString>("hello");
        QTest::newRow("not JSON") << "5";
        QTest::newRow("a text") << R"({"to_id":"5"})";
        QTest::newRow("negative") << R"({"to_id":-3})";
        QTest::newRow("a fraction") << R"({"to_id":1.5})";
        QTest::newRow("missing") << "{}";
    }
    void badRoomIsRefused() {
        QFETCH(QString, hello);
        FollowersServer server(nullptr, log());
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        Follower follower(server.port(), hello);
        QSignalSpy closed(&follower.socket, &QWebSocket::disconnected);
        QVERIFY(closed.wait(5000));
        QVERIFY(m_log.last().contains(QStringLiteral("to_id не положительное целое")));
    }

    void followersWithoutCredentials() {
        FollowersServer server(nullptr, log(), 100);
        QVERIFY(m_log.first().contains(QStringLiteral("фолловеры выключены")));
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        Follower follower(server.port(), R"({"to_id":5})");
        QTRY_VERIFY(!m_log.filter("ждём фолловеров канала 5").isEmpty());
        // A silent client that came later is sent away past the idle time; the one that asked
        // stays.
        QWebSocket silent;
        QSignalSpy sentAway(&silent, &QWebSocket::disconnected);
        silent.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/follows").arg(server.port())));
        QVERIFY(sentAway.wait(5000));
        QCOMPARE(follower.socket.state(), QAbstractSocket::ConnectedState);
        QCOMPARE(m_log.filter("выключены").size(), 1);
    }

    // One token per machine, readable by its owner only, the same for Kestro and the relay.
    void weakTokenFilesAreNamed_data() {
        addTableRows("relay-token-files.tsv", {"length", "mode", "weaknesses"});
    }
    void weakTokenFilesAreNamed() {
        QFETCH(QString, length);
        QFETCH(QString, mode);
        QFETCH(QString, weaknesses);
        const QStringList warnings = cellItems(weaknesses);
        TempDataDir dir;
        dir.write("relay-token", QByteArray(length.toInt(), 'k') + "\n");
        QFile::setPermissions(dir.file("relay-token"), QFile::Permissions(mode.toInt(nullptr, 16)));
        const QStringList found = RelayToken::weaknesses(dir.file("relay-token"));
        QCOMPARE(found.size(), warnings.size());
        for (int i = 0; i < warnings.size(); ++i)
            QVERIFY2(found.at(i).contains(warnings.at(i)), qPrintable(found.at(i)));
    }

    void tokenIsPrivateAndShared() {
        TempDataDir dir;
        const QString token = RelayToken::loadOrCreate(dir.path());
        QCOMPARE(token.size(), RelayToken::kLength);
        QCOMPARE(RelayToken::loadOrCreate(dir.path()), token);
        QCOMPARE(RelayToken::read(RelayToken::path(dir.path())), token);
        if (QStringLiteral(KESTRO_TTS_TOKEN).isEmpty())
            QCOMPARE(Secrets::ttsToken(dir.path()), token);
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(RelayToken::path(dir.path())) & others,
                 QFileDevice::Permissions());
        QVERIFY(RelayToken::loadOrCreate(TempDataDir().path()) != token);
    }

    // Kestro's queue against the real relay: a spoken alert, played and then deleted.
    void alertQueueSpeaksThroughTheRelay() {
        SpeechServer server(kToken, m_synth, log());
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        ChatRig rig(QStringLiteral(R"({"alerts":{"voice":"jane"}})"),
                    QUrl(QStringLiteral("ws://127.0.0.1:%1/tts").arg(server.port())));
        rig.alerts.enqueue(AlertRecord{
            "Twitch", "follow", {}, QStringLiteral("Новый фолловер Ann"), {}, {}, {}, {}, {}});
        rig.alerts.processQueue();
        QTRY_COMPARE_WITH_TIMEOUT(rig.player.played.size(), 1, 20000);
        const QString speech = rig.player.source();
        QVERIFY(speech.endsWith(QStringLiteral(".ogg.opus")));
        QFile file(speech);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(seconds(file.readAll()) > 0.5);
        rig.player.finish();
        QVERIFY(!QFile::exists(speech));
    }
};

QTEST_GUILESS_MAIN(TestRelay)
#include "tst_relay.moc"
