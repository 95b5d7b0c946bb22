#include "common/json.h"
#include "fakes/httpserver.h"
#include "fakes/manualscheduler.h"
#include "fakes/samples.h"
#include "fakes/wsserver.h"
#include "services/twitch/eventsub.h"

#include <QtTest>

namespace {
// A frame of the recorded and documented EventSub session, by its line (from 1).
QString frame(int line) {
    return QString::fromUtf8(serviceSample("twitch-eventsub-ws.jsonl").split('\n').at(line - 1));
}
const int kDocsReconnect = 4;
const int kWelcome = 5;
const int kKeepalive = 6;
const int kFollowV2 = 7;
const QString kSession = QStringLiteral("AgoQTeZwdw_hSKeJk8RlD5wB5RIGY2VsbC1i");
const qint64 kRoom = 445242086;

QString welcome(const QString &session) {
    return frame(kWelcome).replace(kSession, session);
}

// A session started against a loopback EventSub and Helix.
struct Session {
    WsServer twitch;
    HttpServer helix;
    ManualScheduler scheduler;
    QStringList log;
    EventSub eventSub{twitch.url("/ws"), QUrl(helix.url().toString() + "/helix"),
                      {"client", "secret-token", "99"}, scheduler,
                      [this](const QString &line) { log << line; }};

    Session() {
        helix.route("/helix/eventsub/subscriptions", 202,
                    serviceSample("twitch-helix-eventsub-subscription.json"));
        eventSub.start();
    }
    // Welcomed into the recorded session, with the room subscribed.
    void subscribed() {
        QVERIFY(twitch.waitForClient());
        eventSub.subscribe(kRoom);
        twitch.send(frame(kWelcome));
        QTRY_COMPARE(helix.fullRequests.size(), 1);
        QTRY_VERIFY(!log.filter("подписались").isEmpty());
    }
};
} // namespace

class TestEventSub : public QObject {
    Q_OBJECT
private slots:
    void welcomeSubscribes() {
        Session session;
        session.subscribed();
        const QByteArray post = session.helix.fullRequests.first();
        QVERIFY(post.startsWith("POST /helix/eventsub/subscriptions"));
        QVERIFY(post.contains("Client-Id: client\r\n"));
        QVERIFY(post.contains("Authorization: Bearer secret-token\r\n"));
        const QByteArray body =
            R"({"type":"channel.follow","version":"2","condition":{"broadcaster_user_id":)"
            R"("445242086","moderator_user_id":"99"},"transport":{"method":"websocket",)"
            R"("session_id":"AgoQTeZwdw_hSKeJk8RlD5wB5RIGY2VsbC1i"}})";
        QVERIFY2(post.endsWith(body), post);
        // The keepalive window of the welcome, and a second more.
        QCOMPARE(session.scheduler.delays, QList<int>{11000});
        QVERIFY(!session.log.join(' ').contains("secret-token"));
    }

    void followIsReported() {
        Session session;
        QSignalSpy follows(&session.eventSub, &EventSub::follow);
        session.subscribed();
        session.twitch.send(frame(kFollowV2));
        QVERIFY(follows.wait(5000));
        QCOMPARE(follows.first(), (QVariantList{kRoom, QStringLiteral("555gerson555")}));
        session.twitch.send(frame(kKeepalive));
        session.twitch.send(R"({"metadata":{"message_type":"notification"},"payload":[]})");
        session.twitch.send("not json");
        QTRY_VERIFY(!session.log.filter("без типа").isEmpty());
        QCOMPARE(follows.count(), 1);
    }

    // Helix's refusal is reported; a renewed token asks again for what was refused.
    void refusalIsAskedAgain() {
        Session session;
        session.helix.queue("/helix/eventsub/subscriptions", 403,
                            serviceSample("twitch-helix-eventsub-403.json"));
        QSignalSpy refused(&session.eventSub, &EventSub::refused);
        QVERIFY(session.twitch.waitForClient());
        session.eventSub.subscribe(kRoom);
        session.twitch.send(frame(kWelcome));
        QVERIFY(refused.wait(5000));
        QCOMPARE(refused.first(), (QVariantList{kRoom, 403}));
        session.eventSub.setCredentials({"client", "new-token", "99"});
        QTRY_COMPARE(session.helix.fullRequests.size(), 2);
        QVERIFY(session.helix.fullRequests.last().contains("Bearer new-token"));
        QTRY_VERIFY(!session.log.filter("подписались").isEmpty());
        session.eventSub.setCredentials({"client", "newer-token", "99"});
        QSignalSpy handled(&session.eventSub, &EventSub::follow);
        session.twitch.send(frame(kFollowV2));
        QVERIFY(handled.wait(5000));
        QCOMPARE(session.helix.fullRequests.size(), 2); // the accepted room is not asked again
    }

    void revocationIsReported() {
        Session session;
        QSignalSpy revoked(&session.eventSub, &EventSub::revoked);
        session.subscribed();
        session.twitch.send(serviceSample("twitch-eventsub-revocation.json"));
        QVERIFY(revoked.wait(5000));
        QCOMPARE(revoked.first().first().toString(), QStringLiteral("authorization_revoked"));
    }

    // Twitch's own move: the old socket stays until the new one welcomes, and the
    // subscriptions move with the session.
    void sessionMovesOnReconnect() {
        Session session;
        WsServer second;
        session.subscribed();
        Json reconnect = parseJson(frame(kDocsReconnect));
        reconnect["payload"]["session"]["reconnect_url"] = stdstr(second.url("/ws").toString());
        session.twitch.send(qstr(reconnect.dump()));
        QVERIFY(second.waitForClient());
        QVERIFY(session.twitch.clientOpen());
        second.send(welcome("S2"));
        QTRY_VERIFY(!session.twitch.clientOpen());
        QCOMPARE(session.eventSub.sessionId(), QStringLiteral("S2"));
        session.eventSub.subscribe(6);
        QTRY_COMPARE(session.helix.fullRequests.size(), 2);
        QVERIFY(session.helix.fullRequests.last().contains("\"6\""));
        QVERIFY(!session.scheduler.delays.contains(EventSub::kFirstBackoffMs));
    }

    void lostSessionBacksOff() {
        Session session;
        session.eventSub.subscribe(5);
        WsServer &twitch = session.twitch;
        ManualScheduler &scheduler = session.scheduler;
        for (int drop = 1; drop <= 8; ++drop) {
            QTRY_COMPARE(twitch.connections, drop);
            QTRY_VERIFY(twitch.clientOpen());
            twitch.closeClient();
            QTRY_COMPARE(scheduler.pending.size(), size_t(1));
            scheduler.runNext();
        }
        QCOMPARE(scheduler.delays,
                 (QList<int>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000}));
        QTRY_COMPARE(twitch.connections, 9);
        twitch.send(welcome("S9"));
        QTRY_COMPARE(session.helix.fullRequests.size(), 1); // a new session subscribes again
        twitch.closeClient();
        QTRY_COMPARE(scheduler.delays.size(), 10);
        QCOMPARE(scheduler.delays.last(), 1000);
    }

    // A keepalive keeps the session; a whole window of silence drops it.
    void silentSessionIsDropped() {
        Session session;
        session.subscribed();
        session.twitch.send(frame(kKeepalive));
        QSignalSpy follows(&session.eventSub, &EventSub::follow);
        session.twitch.send(frame(kFollowV2)); // it arrives after the keepalive
        QVERIFY(follows.wait(5000));
        session.scheduler.runNext();
        QCOMPARE(session.scheduler.delays, (QList<int>{11000, 11000}));
        session.scheduler.runNext();
        QVERIFY(!session.log.filter("молчит дольше").isEmpty());
        QTRY_COMPARE(session.scheduler.delays.last(), EventSub::kFirstBackoffMs);
    }
};

QTEST_GUILESS_MAIN(TestEventSub)
#include "tst_eventsub.moc"
