#include "alerts/chatspeech.h"
#include "alerts/speechrelay.h"
#include "fakes/samples.h"
#include "fakes/tables.h"
#include "fakes/goodgamerig.h"
#include "fakes/twitchrig.h"
#include "fakes/wsserver.h"

#include <QtTest>

namespace {
// Settings with chat speech on and these of its rows changed.
QString speechOn(const Json &changes = Json::object()) {
    Json chat = {{"enabled", true}};
    chat.update(changes);
    return qstr(Json{{"alerts", {{"voice", "random"}}}, {"speech", {{"chat", chat}}}}.dump());
}

// An alert record that waits in the queue.
AlertRecord followAlert() {
    AlertRecord record;
    record.service = QStringLiteral("Twitch");
    record.type = QStringLiteral("follow");
    return record;
}

QString twitchLine(const QString &tags, const QString &text) {
    return "@" + tags + ";id=m1;room-id=1 :ann!ann@ann.tmi.twitch.tv PRIVMSG #chan :" + text;
}

QString goodgameLine(const Json &changes, const QString &text) {
    Json data = {{"channel_id", 5}, {"user_name", "Вася"}, {"message_id", 7},
                 {"user_rights", 0}, {"text", stdstr(text)}};
    data.update(changes);
    return qstr(Json{{"type", "message"}, {"data", data}}.dump());
}

// Chat speech on a rig's presenter, the alerts' fake player and a loopback relay that answers
// every request with audio.
struct Speaker {
    explicit Speaker(ChatRig &rig)
        : rig(rig) {
        relay.onFrame = [this](const QString &request) {
            requests << request;
            if (answering)
                relay.sendBinary("OggS chat speech");
        };
        QObject::connect(&rig.chat, &Chat::lineShown, &speech, &ChatSpeech::offer);
        QObject::connect(&rig.chat, &Chat::moderated, &speech, &ChatSpeech::moderated);
        QObject::connect(&speech, &ChatSpeech::queued, [this](const QString &text) { said << text; });
    }
    // Starts the next line and waits until it plays.
    void speakNext() {
        speech.tick();
        QTRY_COMPARE(rig.player.state(), int(AlertPlayer::PlayingState));
    }

    ChatRig &rig;
    WsServer relay;
    bool answering = true;
    QStringList requests;
    QStringList said;
    SpeechRelay exchange{relay.url(QStringLiteral("/tts"))};
    SpeechFile files{rig.dir.path()};
    ChatSpeech speech{ChatSpeechDeps{rig.utils, rig.logger, files, rig.player, rig.routing,
                                     exchange, rig.alerts, rig.clock, QStringLiteral("tok")}};
};
} // namespace

class TestChatSpeech : public QObject {
    Q_OBJECT
private slots:
    // What a line is read as, from the wire of each service through its client and the
    // presenter: empty when it is not read.
    void spokenText_data() {
        addTableRows("speech-spoken.tsv", {"service", "settings", "wire", "text", "spoken"});
    }
    void spokenText() {
        QFETCH(QString, service);
        QFETCH(QString, settings);
        QFETCH(QString, wire);
        QFETCH(QString, text);
        QFETCH(QString, spoken);
        settings = speechOn(parseJson(settings));
        QStringList said;
        if (service == QLatin1String("twitch")) {
            TwitchRig rig(QUrl(QStringLiteral("http://127.0.0.1:9")), settings);
            Speaker speaker(rig);
            rig.twitch.processMessage(twitchLine("display-name=Ann;" + wire, text));
            said = speaker.said;
        } else {
            GoodgameRig rig;
            rig.load(settings);
            rig.loadSmiles(testData("goodgame-global.json"));
            Speaker speaker(rig);
            rig.goodgame.readFramesAt(Goodgame::Step::Chat);
            rig.goodgame.processMessage(goodgameLine(parseJson(wire), text));
            said = speaker.said;
        }
        QCOMPARE(said, spoken.isEmpty() ? QStringList() : QStringList{spoken});
    }

    // The streamer's own line is not read.
    void ownLineIsNotRead() {
        TwitchRig rig(QUrl(QStringLiteral("http://127.0.0.1:9")), speechOn());
        Speaker speaker(rig);
        QVERIFY(rig.twitch.sendMessageToChat(QStringLiteral("hello")));
        QCOMPARE(speaker.said, QStringList());
    }

    // A line is read through the relay in its own voice and volume; the player goes back to
    // the alerts' volume and the file is deleted.
    void lineIsReadAndCleanedUp() {
        TwitchRig rig(QUrl(QStringLiteral("http://127.0.0.1:9")),
                      speechOn({{"voice", "ermil"}, {"volume", 0.4}}));
        Speaker speaker(rig);
        rig.twitch.processMessage(twitchLine("display-name=Ann", "привет"));
        speaker.speakNext();
        QCOMPARE(speaker.requests.size(), 1);
        const Json request = parseJson(speaker.requests.first().toUtf8());
        QCOMPARE(qstr(request.value("text", "")), QStringLiteral("Ann: привет"));
        QCOMPARE(qstr(request.value("voice", "")), QStringLiteral("ermil"));
        QCOMPARE(rig.player.volume(), 0.4);
        const QString file = rig.player.source();
        QVERIFY(QFileInfo::exists(file));
        QVERIFY(speaker.speech.speaking());
        speaker.speech.skip();
        QVERIFY(!speaker.speech.speaking());
        QVERIFY(!QFileInfo::exists(file));
        QCOMPARE(rig.player.volume(), 0.75);
    }

    // An alert goes first: a waiting line is held behind it; a line being read finishes, and
    // the alert plays after it.
    void alertsGoFirst() {
        TwitchRig rig(QUrl(QStringLiteral("http://127.0.0.1:9")), speechOn());
        Speaker speaker(rig);
        rig.twitch.processMessage(twitchLine("display-name=Ann", "первая"));
        rig.alerts.enqueue(followAlert());
        speaker.speech.tick();
        QCOMPARE(speaker.requests.size(), 0);
        rig.alerts.clearQueue();
        speaker.speakNext();

        rig.alerts.enqueue(followAlert());
        rig.alerts.processQueue();
        QCOMPARE(rig.alerts.QUEUE().size(), 1); // waits for the line being read
        rig.player.finish();
        rig.alerts.processQueue();
        QCOMPARE(rig.alerts.QUEUE().size(), 0);
    }

    // An alert that comes while a line's speech is on its way: the line waits again, first.
    void alertDuringTheFetchHoldsTheLine() {
        TwitchRig rig(QUrl(QStringLiteral("http://127.0.0.1:9")), speechOn());
        Speaker speaker(rig);
        rig.twitch.processMessage(twitchLine("display-name=Ann", "первая"));
        speaker.answering = false;
        speaker.speech.tick();
        QTRY_COMPARE(speaker.requests.size(), 1);
        rig.alerts.enqueue(followAlert());
        speaker.relay.sendBinary("OggS late");
        QTRY_COMPARE(speaker.speech.waiting(), 1);
        QCOMPARE(rig.player.state(), int(AlertPlayer::StoppedState));
    }

    // What waits is bounded: the oldest goes when the queue is full, a line goes after 30 s,
    // and a line a moderator removes, by its id or its user, is never read.
    void waitingLinesAreDropped() {
        TwitchRig rig(QUrl(QStringLiteral("http://127.0.0.1:9")), speechOn({{"queueLength", 2}}));
        Speaker speaker(rig);
        rig.alerts.enqueue(followAlert()); // holds them
        for (const char *id : {"1", "2", "3"})
            rig.twitch.processMessage(QStringLiteral("@display-name=Ann;id=%1 :ann!ann@ann.tmi.twitch.tv PRIVMSG #chan :line %1").arg(id));
        QCOMPARE(speaker.speech.waiting(), 2);
        rig.twitch.processMessage(":tmi.twitch.tv CLEARMSG #chan :x");
        rig.twitch.processMessage("@target-msg-id=2 :tmi.twitch.tv CLEARMSG #chan :line 2");
        QCOMPARE(speaker.speech.waiting(), 1);
        rig.twitch.processMessage("@target-user-id=9 :tmi.twitch.tv CLEARCHAT #chan :ann");
        QCOMPARE(speaker.speech.waiting(), 0);

        rig.twitch.processMessage(twitchLine("display-name=Ann", "поздно"));
        rig.clock.advance(ChatSpeech::kMaxWaitMs + 1);
        speaker.speech.tick();
        QCOMPARE(speaker.speech.waiting(), 0);
        QCOMPARE(speaker.requests.size(), 0);
    }

    // A waiting line the streamer takes out is not read, and the event log says so; the next
    // is read on chat speech's own output.
    void aTakenOutLineIsNotRead() {
        TwitchRig rig(QUrl(QStringLiteral("http://127.0.0.1:9")),
                      speechOn({{"output", "kestro_b"}}));
        rig.outputs.set(SoundOutputs::Server::Running, {{"kestro_b", "Sink B"}});
        Speaker speaker(rig);
        rig.alerts.enqueue(followAlert()); // holds them
        rig.twitch.processMessage(twitchLine("display-name=Ann", "первая"));
        rig.twitch.processMessage(twitchLine("display-name=Ann", "вторая"));
        const QVector<QueueRow> rows = speaker.speech.waitingRows()->rows();
        QCOMPARE(rows.size(), 2);
        speaker.speech.takeOut(rows.first().key);
        QCOMPARE(speaker.speech.waiting(), 1);
        rig.alerts.clearQueue();
        speaker.speakNext();
        QCOMPARE(qstr(parseJson(speaker.requests.first().toUtf8()).value("text", "")),
                 QStringLiteral("Ann: вторая"));
        QCOMPARE(rig.player.output, QStringLiteral("kestro_b"));
        QVERIFY(rig.log("event").contains(
            QStringLiteral("Убрано из очереди чтения чата: Ann: первая")));
    }

    // The pause holds chat speech; "СТОП" cuts the line being read.
    void pauseAndStop() {
        TwitchRig rig(QUrl(QStringLiteral("http://127.0.0.1:9")), speechOn());
        Speaker speaker(rig);
        rig.twitch.processMessage(twitchLine("display-name=Ann", "раз"));
        rig.alerts.togglePause();
        speaker.speech.tick();
        QCOMPARE(speaker.requests.size(), 0);
        rig.alerts.togglePause();
        speaker.speakNext();
        rig.alerts.stopPlayer();
        QVERIFY(!speaker.speech.speaking());
    }

    // A relay that does not answer costs the lines, one error line for the outage, and
    // never the alerts.
    void relayDownDropsLines() {
        TwitchRig rig(QUrl(QStringLiteral("http://127.0.0.1:9")), speechOn());
        Speaker speaker(rig);
        speaker.exchange.setTimeout(50);
        speaker.answering = false;
        QSignalSpy failed(&speaker.exchange, &SpeechRelay::failed);
        rig.twitch.processMessage(twitchLine("display-name=Ann", "раз"));
        rig.twitch.processMessage(twitchLine("display-name=Ann", "два"));
        for (int line = 1; line <= 2; ++line) {
            speaker.speech.tick();
            QTRY_COMPARE(failed.size(), line);
        }
        QCOMPARE(speaker.requests.size(), 2);
        QCOMPARE(rig.log("error").size(), 1);
        QVERIFY(rig.log("error").first().startsWith(QStringLiteral("ОШИБКА: речь для чата не получена: ")));
        QVERIFY(!rig.alerts.alertsProcessing());
    }
};

QTEST_MAIN(TestChatSpeech)
#include "tst_chatspeech.moc"
