#include "fakes/tempdatadir.h"
#include "gstsoundplayer.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

// The real player through GStreamer, with a sink that plays nothing aloud.
class TestSoundPlayer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK", "fakesink"); }

    void playsASpeechFileToItsEnd() {
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
        TempDataDir dir;
        const QString path = dir.path() + QStringLiteral("/broken.ogg");
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
        // At most one stop for the failed file.
        QVERIFY(stopped.size() <= 1);
    }
};

QTEST_GUILESS_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
