#include "connection/serviceconnection.h"
#include "fakes/fixedrandom.h"
#include "fakes/manualclock.h"

#include <QtTest>

namespace {
// A supervisor over a transport that records what it was asked, on a manual clock.
struct Link {
    ManualClock clock{QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC)};
    FixedRandom random;
    QStringList calls;
    ServiceConnection connection{{[this](bool again) {
                                      calls << (again ? QStringLiteral("reopen")
                                                      : QStringLiteral("open"));
                                  },
                                  [this] { calls << QStringLiteral("close"); },
                                  [this] {
                                      calls << QStringLiteral("probe");
                                  }},
                                 clock,
                                 random};
    QSignalSpy outages{&connection, &ServiceConnection::outageBegan};
    QSignalSpy restored{&connection, &ServiceConnection::restored};

    // Ticks once a second for `seconds` simulated seconds.
    void run(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock.advance(ServiceConnection::TICK_MS);
            connection.tick();
        }
    }
    // Milliseconds from a loss to the next opening.
    qint64 delayOfNextLoss() {
        connection.lost();
        const qint64 lostAt = clock.now();
        const int opens = calls.count(QStringLiteral("reopen"));
        while (calls.count(QStringLiteral("reopen")) == opens) {
            clock.advance(100);
            connection.tick();
        }
        return clock.now() - lostAt;
    }
};
} // namespace

class TestServiceConnection : public QObject {
    Q_OBJECT
private slots:
    void backoffDoublesToAMinuteAndResetsOnJoin() {
        Link link;
        link.connection.start();
        QList<qint64> delays;
        for (int i = 0; i < 8; ++i)
            delays << link.delayOfNextLoss();
        QCOMPARE(delays, (QList<qint64>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000}));
        link.connection.joined();
        QCOMPARE(link.delayOfNextLoss(), 1000);
    }

    void jitterStaysWithinAFifth_data() {
        QTest::addColumn<double>("random");
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("capped");
        QTest::newRow("low") << 0.0 << qint64(800) << qint64(48000);
        QTest::newRow("high") << 0.999 << qint64(1200) << qint64(60000);
    }
    void jitterStaysWithinAFifth() {
        QFETCH(double, random);
        QFETCH(qint64, first);
        QFETCH(qint64, capped);
        Link link;
        link.random.value = random;
        link.connection.start();
        const qint64 measured = link.delayOfNextLoss();
        QVERIFY2(qAbs(measured - first) < 100, QByteArray::number(measured));
        for (int i = 0; i < 7; ++i)
            link.delayOfNextLoss();
        const qint64 last = link.delayOfNextLoss();
        QVERIFY2(last >= capped && last < capped + 100, QByteArray::number(last));
    }

    // Lost, a failed attempt, lost again, then joined: one loss and one return to report.
    void aFlappingLinkReportsOneOutage() {
        Link link;
        link.connection.start();
        link.connection.joined();
        QCOMPARE(link.restored.size(), 0);
        for (int i = 0; i < 3; ++i) {
            link.connection.lost();
            link.connection.lost(); // the closing socket reports it again
            link.run(10);
        }
        QCOMPARE(link.outages.size(), 1);
        link.connection.joined();
        QCOMPARE(link.restored.size(), 1);
        QCOMPARE(link.connection.state(), ServiceConnection::State::Connected);
        link.connection.lost();
        QCOMPARE(link.outages.size(), 2);
    }

    void theUsersStopEndsReconnecting() {
        Link link;
        link.connection.start();
        link.connection.lost();
        QCOMPARE(link.connection.stateName(), QStringLiteral("reconnecting"));
        QCOMPARE(link.connection.retrySeconds(), 1);
        link.connection.stop();
        link.run(600);
        QCOMPARE(link.calls, (QStringList{"open", "close", "close"}));
        QCOMPARE(link.connection.stateName(), QStringLiteral("stopped"));
        link.connection.lost();
        QCOMPARE(link.outages.size(), 1);
    }

    void silenceIsProbedBeforeItIsBelieved_data() {
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("answered") << true << QStringList{"open", "probe"};
        QTest::newRow("unanswered") << false << QStringList{"open", "probe", "close", "reopen"};
    }
    void silenceIsProbedBeforeItIsBelieved() {
        QFETCH(bool, answered);
        QFETCH(QStringList, calls);
        Link link;
        link.connection.start();
        link.connection.joined();
        link.run(59);
        QCOMPARE(link.calls, QStringList{"open"});
        link.run(1);
        QCOMPARE(link.calls, (QStringList{"open", "probe"}));
        if (answered)
            link.connection.traffic();
        link.run(15);
        // Dead after 75 s of silence, and a new link opened in the same tick.
        QCOMPARE(link.calls, calls);
        QCOMPARE(link.outages.size(), answered ? 0 : 1);
    }

    // A link that answers but never gets through its login after a loss is tried again; the
    // user's first start keeps waiting, as before.
    void aReconnectionThatNeverJoinsIsRetried() {
        Link link;
        link.connection.start();
        link.connection.joined();
        link.connection.lost();
        link.run(1);
        QCOMPARE(link.calls.count("reopen"), 1);
        for (int second = 0; second < 59; ++second) {
            link.run(1);
            link.connection.traffic();
        }
        QCOMPARE(link.calls.count("reopen"), 1);
        link.run(1);
        QCOMPARE(link.connection.stateName(), QStringLiteral("reconnecting"));
        link.run(2);
        QCOMPARE(link.calls.count("reopen"), 2);

        Link fresh;
        fresh.connection.start();
        for (int second = 0; second < 300; ++second) {
            fresh.run(1);
            fresh.connection.traffic();
        }
        QCOMPARE(fresh.calls, QStringList{"open"});
    }

    // The machine slept (the clock jumped past a minute): the link is probed at once, and one
    // that died meanwhile is replaced once the probe's 15 s pass without an answer.
    void aLateTickProbesAtOnce_data() {
        QTest::addColumn<bool>("answers");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("alive") << true << QStringList{"open", "probe"};
        QTest::newRow("dead") << false << QStringList{"open", "probe", "close", "reopen"};
    }
    void aLateTickProbesAtOnce() {
        QFETCH(bool, answers);
        QFETCH(QStringList, calls);
        Link link;
        link.connection.start();
        link.connection.joined();
        link.run(5);
        link.clock.advance(ServiceConnection::TICK_MS + 60000);
        link.connection.tick();
        QCOMPARE(link.calls, (QStringList{"open", "probe"}));
        if (answers)
            link.connection.traffic();
        link.run(15);
        QCOMPARE(link.calls, calls);
    }

    void reconnectRequestOpensAtOnceWithoutALossLine() {
        Link link;
        link.connection.start();
        link.connection.joined();
        link.connection.reconnectNow();
        QCOMPARE(link.calls, (QStringList{"open", "close", "reopen"}));
        QCOMPARE(link.outages.size(), 0);
        link.connection.joined();
        QCOMPARE(link.restored.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestServiceConnection)
#include "tst_serviceconnection.moc"
