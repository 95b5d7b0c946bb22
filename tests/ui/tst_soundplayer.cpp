#include "alerts/soundrouting.h"
#include "fakes/pulseserver.h"
#include "fakes/settingsrig.h"
#include "fakes/tempdatadir.h"
#include "gstsoundplayer.h"
#include "pulseoutputs.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

namespace {
// The real player, the sound server's outputs and the routing between them, on settings that
// choose each use's output.
struct Routed {
    Routed(const QString &alerts, const QString &chat)
        : settings(QStringLiteral(R"({"alerts":{"output":"%1"},"speech":{"chat":{"output":"%2"}}})")
                       .arg(alerts, chat)) {}

    bool listed() {
        return QTest::qWaitFor([this] { return outputs.server() == SoundOutputs::Server::Running; },
                               10000);
    }
    // Plays the file for this use to its end.
    bool play(SoundRouting::Use use, const QString &file) {
        QSignalSpy stopped(&player, &AlertPlayer::stopped);
        routing.use(use);
        player.setSource(file);
        player.play();
        return stopped.wait(15000);
    }

    SettingsRig settings;
    GstSoundPlayer player;
    PulseOutputs outputs;
    SoundRouting routing{settings.utils, settings.logger, outputs, player};
};

// GStreamer's sink for the tests that only need the player's own events, nothing heard.
struct SilentSink {
    SilentSink() { qputenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK", "fakesink"); }
    ~SilentSink() { qunsetenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK"); }
};
} // namespace

// The real player through GStreamer; the outputs on a sound server the test starts.
class TestSoundPlayer : public QObject {
    Q_OBJECT
    PulseServer m_pulse; // before every client: they find it by the environment
    TempDataDir m_dir;
    QString m_shortTone = m_dir.path() + QStringLiteral("/short.wav");
    QString m_longTone = m_dir.path() + QStringLiteral("/long.wav");

    void needPulse() {
        if (!m_pulse.ready())
            QSKIP(qPrintable(QStringLiteral("no sound server: ") + m_pulse.error()));
    }

private slots:
    void initTestCase() {
        QVERIFY(writeTone(m_shortTone, 0.4));
        QVERIFY(writeTone(m_longTone, 4));
    }

    void playsASpeechFileToItsEnd() {
        SilentSink silent;
        GstSoundPlayer player;
        QStringList events;
        connect(&player, &AlertPlayer::stopped, [&] { events << "stopped"; });
        connect(&player, &AlertPlayer::stateChanged,
                [&](int state) { events << QString::number(state); });
        player.setSource(QStringLiteral(TEST_DATA "/silence.ogg.opus"));
        player.setVolume(0.5);
        QCOMPARE(player.volume(), 0.5);
        QSignalSpy stopped(&player, &AlertPlayer::stopped);
        player.play();
        QVERIFY(stopped.wait(10000));
        QCOMPARE(events, (QStringList{"1", "stopped", "0"}));
        QCOMPARE(player.state(), int(AlertPlayer::StoppedState));
    }

    void aBrokenFileIsReported() {
        SilentSink silent;
        const QString path = m_dir.path() + QStringLiteral("/broken.ogg");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("OggS this is no audio at all");
        file.close();
        GstSoundPlayer player;
        QSignalSpy error(&player, &AlertPlayer::error);
        QSignalSpy stopped(&player, &AlertPlayer::stopped);
        player.setSource(QUrl::fromLocalFile(path).toString());
        player.play();
        QVERIFY(error.wait(10000));
        QCOMPARE(player.state(), int(AlertPlayer::StoppedState));
        QCOMPARE(stopped.size(), 1);
    }

    // Each use on its own output, and the system's default when none is chosen.
    void eachUsePlaysOnItsOutput_data() {
        QTest::addColumn<QString>("alerts");
        QTest::addColumn<QString>("chat");
        QTest::addColumn<bool>("chatSpeech");
        QTest::addColumn<QString>("heardOn");
        QTest::newRow("alerts on A") << "kestro_a"
                                     << "kestro_b" << false << "kestro_a";
        QTest::newRow("chat speech on B") << "kestro_a"
                                          << "kestro_b" << true << "kestro_b";
        QTest::newRow("chat speech on A") << ""
                                          << "kestro_a" << true << "kestro_a";
        QTest::newRow("none chosen: the default") << ""
                                                  << "" << false << "kestro_b";
    }
    void eachUsePlaysOnItsOutput() {
        needPulse();
        QFETCH(QString, alerts);
        QFETCH(QString, chat);
        QFETCH(bool, chatSpeech);
        QFETCH(QString, heardOn);
        Routed routed(alerts, chat);
        QVERIFY(routed.listed());
        MonitorRecording onA(QStringLiteral("kestro_a"));
        MonitorRecording onB(QStringLiteral("kestro_b"));
        QVERIFY(routed.play(chatSpeech ? SoundRouting::Use::ChatSpeech : SoundRouting::Use::Alerts,
                            QUrl::fromLocalFile(m_shortTone).toString()));
        MonitorRecording &heard = heardOn == QLatin1String("kestro_a") ? onA : onB;
        MonitorRecording &silent = heardOn == QLatin1String("kestro_a") ? onB : onA;
        QTRY_VERIFY_WITH_TIMEOUT(heard.heard(), 5000);
        QVERIFY(silent.listenOn(4000));
        QVERIFY(!silent.heard());
    }

    // Sink A goes while its sound plays: the rest goes to the default at once, said once, and
    // back to A when it is there again.
    void aLostOutputFallsBackAndReturns() {
        needPulse();
        Routed routed(QStringLiteral("kestro_a"), {});
        QVERIFY(routed.listed());
        QSignalSpy said(&routed.routing, &SoundRouting::status);
        auto onA = std::make_unique<MonitorRecording>(QStringLiteral("kestro_a"));
        MonitorRecording onB(QStringLiteral("kestro_b"));
        QSignalSpy stopped(&routed.player, &AlertPlayer::stopped);
        routed.routing.use(SoundRouting::Use::Alerts);
        routed.player.setSource(m_longTone);
        routed.player.play();
        QTRY_VERIFY_WITH_TIMEOUT(onA->heard(), 5000);
        QVERIFY(!onB.heard());

        onA.reset();
        QVERIFY(m_pulse.unloadSink(QStringLiteral("kestro_a")));
        QTRY_VERIFY_WITH_TIMEOUT(onB.heard(), 5000);
        QTRY_COMPARE(said.size(), 1);
        QCOMPARE(said.first().first().toString(),
                 QStringLiteral("Устройство «Sink A» пропало, звук идёт в системное"));
        QCOMPARE(routed.settings.log("error"),
                 QStringList{QStringLiteral("Устройство «Sink A» пропало, звук идёт в системное")});

        QVERIFY(m_pulse.loadSink(QStringLiteral("kestro_a"), QStringLiteral("Sink A")));
        onA = std::make_unique<MonitorRecording>(QStringLiteral("kestro_a"));
        QTRY_VERIFY_WITH_TIMEOUT(onA->heard(), 5000);
        QVERIFY(stopped.isEmpty()); // the same sound, moved there and back
        QVERIFY(stopped.wait(10000));
        QCOMPARE(said.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
