#include "common/random.h"
#include "fakes/chatcases.h"
#include "fakes/chatrig.h"
#include "fakes/goodgamerig.h"
#include "fakes/tables.h"
#include "fakes/twitchrig.h"
#include "fakes/wsserver.h"
#include "services/goodgame/goodgame.h"
#include "services/serviceregistry.h"
#include "testevents/tests.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {
const QByteArray kAudio("OggS fake speech audio");

// Sound files in the data directory, the settings naming them by file URL, and the queue.
struct AlertsRig : ChatRig {
    explicit AlertsRig(const QUrl &relayUrl = QUrl(QStringLiteral("ws://127.0.0.1:9/tts")),
                       const QString &voice = QStringLiteral("random"))
        : ChatRig(QString(), relayUrl) {
        utils.addService({}, twitchSoundSlots() + goodgameSoundSlots());
        Json alerts = {{"volume", 0.5}, {"voice", stdstr(voice)}};
        for (const char *key :
             {"prime", "sub1", "sub2", "sub3", "gift", "bits", "raid", "host", "follow"})
            alerts["twitch"][key] = stdstr(sound(key));
        for (const char *key : {"premium", "donation"})
            alerts["goodgame"][key] = stdstr(sound(key));
        load(qstr(Json{{"alerts", alerts}}.dump()));
    }

    // Creates the sound file of a slot and returns its URL.
    QString sound(const char *slot) {
        const QString path = dir.path() + QStringLiteral("/") + QLatin1String(slot) + ".ogg";
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("sound");
        return QUrl::fromLocalFile(path).toString();
    }

    QString soundOf(const char *slot) const {
        return QUrl::fromLocalFile(dir.path() + QStringLiteral("/") + QLatin1String(slot) + ".ogg")
            .toString();
    }

    void queue(const QString &service, const QString &type, std::optional<int> level = {},
               std::optional<QString> text = {}, std::optional<QString> mail = {}) {
        alerts.enqueue(AlertRecord{service, type, level, text, {}, mail, {}, type, {}});
    }
    // The queue's list as "kind:text" with the one playing marked.
    QStringList rows() {
        QStringList shown;
        for (const QueueRow &row : alerts.queueRows()->rows())
            shown << (row.playing ? "> " : "") + row.text;
        return shown;
    }
    qint64 keyOf(int row) { return alerts.queueRows()->rows().at(row).key; }
};

// A relay that answers every request with the same audio.
struct Relay {
    WsServer server;
    Relay() {
        server.onFrame = [this](const QString &) {
            server.sendBinary(kAudio);
        };
    }
};

class ScriptedRandom final : public Random {
public:
    double uniform() override { return values.isEmpty() ? 0.0 : values.takeFirst(); }
    QList<double> values;
};
} // namespace

class TestAlerts : public QObject {
    Q_OBJECT
private slots:
    void donationPlaysSoundSpeechAndVoiceMessage() {
        Relay relay;
        AlertsRig rig(relay.server.url(QStringLiteral("/tts")));
        rig.queue("Goodgame", "donation", {}, QStringLiteral("Donor переподписан, переподписан"),
                  QStringLiteral("https://gg.test/voice.mp3"));
        rig.alerts.processQueue();
        QTRY_COMPARE(rig.player.played.size(), 1);
        const QStringList request{R"({"token":"tok","text":"Donor переподп+исан, переподписан"})"};
        QCOMPARE(relay.server.frames, request);
        QCOMPARE(rig.player.played.at(0), rig.soundOf("donation") + " @0.75");

        rig.player.finish();
        QCOMPARE(rig.player.played.size(), 2);
        const QString speech = rig.player.source();
        QVERIFY(speech.endsWith(".ogg.opus"));
        QCOMPARE(rig.dir.read(QFileInfo(speech).fileName()), kAudio);
        QCOMPARE(rig.player.played.at(1), speech + " @1");

        rig.player.finish();
        QVERIFY(!QFile::exists(speech));
        QCOMPARE(rig.player.played.at(2), QStringLiteral("https://gg.test/voice.mp3 @1"));

        rig.player.finish();
        QCOMPARE(rig.player.volume(), 0.5);
        QVERIFY(!rig.alerts.alertsProcessing());
        QCOMPARE(rig.alerts.alertsTimer().interval(), Alerts::GAP_MS);
        QVERIFY(QFile::exists(QUrl(rig.soundOf("donation")).toLocalFile()));
        QCOMPARE(rig.player.played.size(), 3);
    }

    void recordsPlayOneAtATime() {
        AlertsRig rig;
        rig.queue("Twitch", "raid");
        rig.queue("Twitch", "bits");
        rig.alerts.processQueue();
        rig.alerts.processQueue();
        QCOMPARE(rig.player.played, QStringList{rig.soundOf("raid") + " @0.75"});
        QCOMPARE(rig.alerts.alertsTimer().interval(), Alerts::IDLE_POLL_MS);
        rig.player.finish();
        QCOMPARE(rig.alerts.alertsTimer().interval(), Alerts::GAP_MS);
        rig.alerts.processQueue();
        QCOMPARE(rig.player.played.last(), rig.soundOf("bits") + " @0.5");
        QVERIFY(rig.alerts.QUEUE().isEmpty());
    }

    void pauseHoldsNewRecordsOnly() {
        AlertsRig rig;
        rig.queue("Twitch", "host");
        rig.queue("Twitch", "follow");
        rig.alerts.processQueue();
        rig.alerts.togglePause();
        QCOMPARE(rig.chatCalls(), QStringList{"turnPause(true)"});
        rig.player.finish();
        rig.alerts.processQueue();
        QCOMPARE(rig.player.played.size(), 1);
        QCOMPARE(rig.alerts.QUEUE().size(), 1);
        rig.alerts.togglePause();
        QCOMPARE(rig.chatCalls().last(), QStringLiteral("turnPause(false)"));
        rig.alerts.processQueue();
        QCOMPARE(rig.player.played.last(), rig.soundOf("follow") + " @0.5");
    }

    // "Пропустить" ends the record with its speech and voice message, at any phase; its speech
    // file does not stay behind, and the next record plays after the gap.
    void skipEndsTheWholeRecord_data() {
        QTest::addColumn<bool>("speechFetched");
        QTest::newRow("during its sound") << true;
        QTest::newRow("while its speech is asked") << false;
    }
    void skipEndsTheWholeRecord() {
        QFETCH(bool, speechFetched);
        Relay relay;
        if (!speechFetched)
            relay.server.onFrame = [](const QString &) {
            };
        AlertsRig rig(relay.server.url(QStringLiteral("/tts")));
        rig.queue("Goodgame", "donation", {}, QStringLiteral("привет"),
                  QStringLiteral("https://gg.test/voice.mp3"));
        rig.queue("Twitch", "raid");
        rig.alerts.processQueue();
        if (speechFetched)
            QTRY_COMPARE(rig.player.played.size(), 1);
        else
            QTRY_COMPARE(relay.server.frames.size(), 1);
        QCOMPARE(rig.rows(), (QStringList{"> Донат: donation", "Raid: raid"}));
        rig.alerts.skip();
        QVERIFY(!rig.alerts.alertsProcessing());
        QCOMPARE(rig.rows(), QStringList{"Raid: raid"});
        QCOMPARE(rig.player.played.size(), speechFetched ? 1 : 0);
        QCOMPARE(QDir(rig.dir.path()).entryList({"*.opus"}), QStringList());
        rig.alerts.processQueue();
        QVERIFY(rig.player.played.last().startsWith(rig.soundOf("raid") + " @"));
    }

    // A gift bomb queues hundreds of records: the view is told of one row at a time, never of
    // the whole list again, and the rows stay the queue's.
    void theQueueInViewChangesOneRowAtATime() {
        AlertsRig rig;
        for (int i = 0; i < 300; ++i)
            rig.queue("Twitch", "follow");
        QueueRows &rows = *rig.alerts.queueRows();
        QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&rows, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&rows, &QAbstractItemModel::rowsRemoved);
        QSignalSpy marked(&rows, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&rows, &QAbstractItemModel::modelReset);
        QSignalSpy playing(&rows, &QueueRows::playingChanged);
        const auto range = [](const QSignalSpy &spy) {
            return qMakePair(spy.last().at(1).toInt(), spy.last().at(2).toInt());
        };
        rig.queue("Twitch", "raid");
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(range(inserted), qMakePair(300, 300));
        rig.alerts.processQueue();
        QCOMPARE(marked.size(), 1);
        QCOMPARE(marked.last().at(0).toModelIndex().row(), 0);
        QVERIFY(rows.playing());
        rig.alerts.takeOut(rig.keyOf(300));
        QCOMPARE(range(removed), qMakePair(300, 300));
        rig.player.finish();
        QCOMPARE(range(removed), qMakePair(0, 0));
        QVERIFY(!rows.playing());
        QCOMPARE(playing.size(), 2);
        QCOMPARE(rows.count(), 299);
        QCOMPARE(reset.size(), 0);
        rig.alerts.processQueue();
        rig.alerts.clearQueue();
        QCOMPARE(rig.rows(), QStringList{"> Follow: follow"});
    }

    // A waiting record taken out never plays and is in the event log; the pause holds the
    // queue after the one playing, and the order stays.
    void takeOutAndPauseKeepTheOrder() {
        AlertsRig rig;
        for (const char *type : {"raid", "bits", "follow", "host"})
            rig.queue("Twitch", type);
        rig.alerts.processQueue();
        rig.alerts.togglePause();
        rig.alerts.takeOut(rig.keyOf(1));
        QCOMPARE(rig.rows(), (QStringList{"> Raid: raid", "Follow: follow", "Host: host"}));
        QVERIFY(rig.log("event").contains(QStringLiteral("Убрано из очереди алертов: bits")));
        rig.player.finish();
        rig.alerts.processQueue();
        QCOMPARE(rig.player.played.size(), 1);
        rig.alerts.togglePause();
        for (int i = 0; i < 2; ++i) {
            rig.alerts.processQueue();
            rig.player.finish();
        }
        QCOMPARE(rig.player.played,
                 (QStringList{rig.soundOf("raid") + " @0.75", rig.soundOf("follow") + " @0.5",
                              rig.soundOf("host") + " @0.5"}));
    }

    // Where an alert plays as the sound server's outputs come and go: the chosen one while it
    // is there, the default while it is gone (said once a loss), the system's own choice when
    // no server answers.
    void theChosenOutputWhileItIsThere_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("outputs");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("said");
        const QString gone = QStringLiteral("Устройство «Sink A» пропало, звук идёт в системное");
        QTest::newRow("none chosen") << "running"
                                     << "kestro_a"
                                     << ""
                                     << "" << QStringList();
        QTest::newRow("chosen and there") << "running"
                                          << "kestro_a,kestro_b"
                                          << "kestro_a"
                                          << "kestro_a" << QStringList();
        QTest::newRow("chosen and gone") << "running"
                                         << "kestro_b"
                                         << "kestro_a"
                                         << "@DEFAULT_SINK@" << QStringList{gone};
        QTest::newRow("not answered yet") << "asking"
                                          << ""
                                          << "kestro_a"
                                          << "" << QStringList();
        QTest::newRow("no sound server")
            << "missing"
            << ""
            << "kestro_a"
            << "" << QStringList{"Звуковой сервер не отвечает, звук идёт как в системе"};
    }
    void theChosenOutputWhileItIsThere() {
        QFETCH(QString, server);
        QFETCH(QString, outputs);
        QFETCH(QString, chosen);
        QFETCH(QString, output);
        QFETCH(QStringList, said);
        AlertsRig rig;
        rig.load(qstr(Json{{"alerts", {{"output", stdstr(chosen)}}}}.dump()));
        rig.outputs.set(SoundOutputs::Server::Running, {{"kestro_a", "Sink A"}});
        QList<SoundOutput> listed;
        for (const QString &name : outputs.split(',', Qt::SkipEmptyParts))
            listed << SoundOutput{name, name == "kestro_a" ? "Sink A" : "Sink B"};
        const auto state = server == "running"  ? SoundOutputs::Server::Running
                           : server == "asking" ? SoundOutputs::Server::Asking
                                                : SoundOutputs::Server::Missing;
        for (int twice = 0; twice < 2; ++twice)
            rig.outputs.set(state, listed);
        rig.routing.use(SoundRouting::Use::Alerts);
        QCOMPARE(rig.player.output, output);
        QCOMPARE(rig.log("error"), said);
        // Back again: it plays there, and a second loss is said again.
        rig.outputs.set(SoundOutputs::Server::Running, {{"kestro_a", "Sink A"}});
        QCOMPARE(rig.player.output, chosen);
        rig.outputs.set(SoundOutputs::Server::Running, {});
        QCOMPARE(rig.log("error").size(), said.size() + (chosen.isEmpty() ? 0 : 1));
    }

    void stopDuringTheSoundStartsTheSpeech() {
        Relay relay;
        AlertsRig rig(relay.server.url(QStringLiteral("/tts")), QStringLiteral("zahar"));
        rig.queue("Twitch", "gift", {}, QStringLiteral("подарок"));
        rig.alerts.alertsInDebugMode = true;
        rig.alerts.processQueue();
        QTRY_COMPARE(rig.player.played.size(), 1);
        const QString request = R"({"token":"tok","text":"подарок","voice":"zahar"})";
        QCOMPARE(relay.server.frames.at(0), request);
        rig.alerts.stopPlayer();
        QCOMPARE(rig.player.played.size(), 2);
        QVERIFY(rig.player.played.at(1).endsWith(".ogg.opus @1"));
        QVERIFY(rig.log("debug").contains("Остановили плеер кнопкой \"СТОП\""));
        QVERIFY(rig.log("debug").contains("Состояние медиа плеера изменилось на \"ОСТАНОВЛЕН\""));
    }

    void subscriptionLevelsPickTheirSlot_data() {
        addTableRows("alerts-subscription-slots.tsv", {"level", "slot"});
    }

    void subscriptionLevelsPickTheirSlot() {
        QFETCH(QString, level);
        QFETCH(QString, slot);
        AlertsRig rig;
        rig.queue("Twitch", "subscription", level.toInt());
        rig.alerts.processQueue();
        if (slot.isEmpty()) {
            QVERIFY(rig.player.played.isEmpty());
            QVERIFY(!rig.alerts.alertsProcessing());
        } else {
            QCOMPARE(rig.player.played, QStringList{rig.soundOf(qPrintable(slot)) + " @0.75"});
        }
    }

    void prepareTextReplacesTheFirstOccurrence() {
        QCOMPARE(Alerts::prepareText("стрик - 3, стрик - 4, захостил Gvelt0rn и Gvelt0rn"),
                 QStringLiteral("стрик 3, стрик - 4, зах+остил Gveltorn и Gvelt0rn"));
    }

    // Whatever cannot be played is skipped, and the record still ends with the gap.
    void unplayableFilesAreSkipped_data() {
        QTest::addColumn<QString>("slotValue");
        QTest::addColumn<bool>("decodeError");
        QTest::newRow("empty slot") << "" << false;
        QTest::newRow("missing file") << "file:///nonexistent/kestro/x.ogg" << false;
        QTest::newRow("undecodable") << "" << true;
    }

    void unplayableFilesAreSkipped() {
        QFETCH(QString, slotValue);
        QFETCH(bool, decodeError);
        Relay relay;
        AlertsRig rig(relay.server.url(QStringLiteral("/tts")));
        if (!decodeError)
            rig.load(qstr(Json{
                {"alerts",
                 {{"volume", 0.5}, {"voice", "random"}, {"twitch", {{"raid", stdstr(slotValue)}}}}}}
                              .dump()));
        rig.queue("Twitch", "raid", {}, QStringLiteral("рейд"));
        rig.queue("Twitch", "raid");
        rig.alerts.processQueue();
        if (decodeError) {
            QTRY_COMPARE(rig.player.played.size(), 1);
            rig.player.fail(QStringLiteral("cannot decode"));
        }
        QTRY_VERIFY(!rig.player.played.isEmpty() &&
                    rig.player.played.last().endsWith(".ogg.opus @1"));
        rig.player.finish();
        QVERIFY(!rig.alerts.alertsProcessing());
        QCOMPARE(rig.alerts.alertsTimer().interval(), Alerts::GAP_MS);

        // A record with neither a sound nor speech frees the queue at once.
        const int played = rig.player.played.size();
        rig.alerts.processQueue();
        if (!decodeError) {
            QCOMPARE(rig.player.played.size(), played);
            QVERIFY(!rig.alerts.alertsProcessing());
            QCOMPARE(rig.alerts.alertsTimer().interval(), Alerts::GAP_MS);
        }
    }

    void relayFailuresPlayWithoutSpeech_data() {
        addTableRows("alerts-relay-failures.tsv", {"failure", "reason"});
    }

    void relayFailuresPlayWithoutSpeech() {
        QFETCH(QString, failure);
        QFETCH(QString, reason);
        WsServer server;
        if (failure == "close")
            server.onFrame = [&server](const QString &) {
                server.closeClient();
            };
        const QUrl url = failure == "refused" ? QUrl("ws://127.0.0.1:9/tts")
                                              : server.url(QStringLiteral("/tts"));
        AlertsRig rig(url);
        rig.relay.setTimeout(300);
        rig.queue("Goodgame", "donation", {}, QStringLiteral("донат"),
                  QStringLiteral("https://gg.test/voice.mp3"));
        rig.alerts.processQueue();
        QTRY_COMPARE_WITH_TIMEOUT(rig.player.played.size(), 1, 10000);
        QCOMPARE(rig.log("error").size(), 1);
        QVERIFY2(rig.log("error").at(0).contains(reason), qPrintable(rig.log("error").at(0)));
        rig.player.finish();
        QCOMPARE(rig.player.played.last(), QStringLiteral("https://gg.test/voice.mp3 @1"));
        rig.player.finish();
        QVERIFY(!rig.alerts.alertsProcessing());

        // The next record's exchange is not disturbed by the failed one.
        rig.queue("Twitch", "raid");
        rig.alerts.processQueue();
        QCOMPARE(rig.player.played.last(), rig.soundOf("raid") + " @0.5");
        QCOMPARE(rig.log("error").size(), 1);
    }

    void debugLinesOnlyInDebugMode() {
        AlertsRig rig;
        rig.alerts.processQueue();
        QVERIFY(rig.logBytes("debug").isEmpty());
        rig.alerts.alertsInDebugMode = true;
        rig.alerts.processQueue();
        QCOMPARE(rig.log("debug"), (QStringList{"Запустился обработчик очереди уведомлений",
                                                "Поставили вызов обработчика очереди в будущем",
                                                "ВЫХОД: очередь уведомлений пустая"}));
    }

    // Every "Тест" button queues one alert that its own slot sounds for, on the service's own
    // queue, and leaves the service's session where it was.
    void everySlotRehearsesItsOwnKind_data() {
        QTest::addColumn<QString>("slot");
        for (const SoundSlot &slot : twitchSoundSlots() + goodgameSoundSlots())
            QTest::newRow(slot.name) << QString::fromLatin1(slot.name);
    }
    void everySlotRehearsesItsOwnKind() {
        QFETCH(QString, slot);
        TwitchRig twitchRig;
        GoodgameRig goodgameRig;
        goodgameRig.goodgame.readFramesAt(Goodgame::Step::Auth);
        ScriptedRandom random;
        random.values = {0.5, 0.5};
        ServiceRegistry services{&twitchRig.twitch, &goodgameRig.goodgame};
        Tests(services, random).testSound(slot);
        int queued = 0;
        const ChatRig *rigs[] = {&twitchRig, &goodgameRig};
        for (const ChatRig *rig : rigs) {
            for (const AlertRecord &record : rig->alerts.QUEUE()) {
                ++queued;
                QVERIFY(rig->utils.soundSlot(slot));
                QCOMPARE(rig->utils.soundSlotFor(record.service, record.type, record.level),
                         rig->utils.soundSlot(slot));
            }
        }
        QCOMPARE(queued, 1);
        QCOMPARE(goodgameRig.goodgame.step(), Goodgame::Step::Auth);
    }
};

QTEST_MAIN(TestAlerts)
#include "tst_alerts.moc"
