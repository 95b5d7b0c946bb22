#include "fakes/httpserver.h"
#include "fakes/manualclock.h"
#include "fakes/manualscheduler.h"
#include "fakes/samples.h"
#include "net/http.h"
#include "services/twitch/twitchaccount.h"

#include <QtTest>

namespace {
const qint64 kStart = 1800000000; // Unix seconds

// The account against a loopback id server, driven second by second.
struct Rig {
    HttpServer id;
    Http http;
    ManualClock clock{QDateTime::fromSecsSinceEpoch(kStart)};
    TwitchAccount account{http, clock, id.url(), [] { return QStringLiteral("cid"); }};
    QStringList failures;
    QList<TwitchTokens> stored;

    Rig() {
        id.route("/oauth2/device", 200, serviceSample("twitch-oauth2-device.json"));
        id.route("/oauth2/validate", 200, serviceSample("twitch-oauth2-validate.json"));
        id.route("/oauth2/revoke", 200, "");
        QObject::connect(&account, &TwitchAccount::failed,
                         [this](const QString &message) { failures << message; });
        QObject::connect(&account, &TwitchAccount::stored,
                         [this](const TwitchTokens &tokens) { stored << tokens; });
    }
    // Every request asked so far has had its answer handled.
    void settle() {
        QSignalSpy handled(&http, &Http::handled);
        while (http.inFlight() > 0)
            QVERIFY(handled.wait(5000));
    }
    void seconds(int count) {
        for (int second = 0; second < count; ++second) {
            clock.advance(1000);
            account.tick();
            settle();
        }
    }
    // The token requests' bodies, in order.
    QList<QByteArray> tokenBodies() const {
        QList<QByteArray> bodies;
        for (const QByteArray &request : id.fullRequests) {
            if (request.startsWith("POST /oauth2/token"))
                bodies << request.mid(request.indexOf("\r\n\r\n") + 4);
        }
        return bodies;
    }
    void restore(qint64 expiresIn) {
        TwitchTokens tokens;
        tokens.accessToken = "A1";
        tokens.refreshToken = "R1";
        tokens.expiresAt = kStart + expiresIn;
        tokens.login = "ynot01";
        tokens.userId = "35903581";
        account.restore(tokens);
        settle();
    }
};

QByteArray fresh(const char *access, const char *refresh) {
    return QByteArray(R"({"access_token":")") + access + R"(","expires_in":14124,)" +
           R"("refresh_token":")" + refresh + R"(","scope":["chat:read"],"token_type":"bearer"})";
}
} // namespace

class TestTwitchAccount : public QObject {
    Q_OBJECT
private slots:
    // The code is polled every interval until Twitch answers; each answer's own outcome.
    void deviceCode_data() {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QList<int>>("pollSeconds");
        QTest::addColumn<QString>("failure");
        QTest::newRow("pending then success")
            << QStringList{"pending", "pending", ""} << QList<int>{5, 10, 15} << "";
        QTest::newRow("slow down adds 5 s") << QStringList{"slow-down", "pending", ""}
                                            << QList<int>{5, 15, 25} << "";
        QTest::newRow("expired code")
            << QStringList{"pending", "invalid-device-code"} << QList<int>{5, 10} << "код входа истёк";
        QTest::newRow("denied") << QStringList{"denied"} << QList<int>{5} << "вход не разрешён";
    }
    void deviceCode() {
        QFETCH(QStringList, answers);
        QFETCH(QList<int>, pollSeconds);
        QFETCH(QString, failure);
        Rig rig;
        for (const QString &answer : answers) {
            if (answer == "denied")
                rig.id.queue("/oauth2/token", 400, R"({"status":400,"message":"access_denied"})");
            else if (!answer.isEmpty())
                rig.id.queue("/oauth2/token", 400,
                             serviceSample("twitch-oauth2-token-" + answer + ".json"));
        }
        rig.id.route("/oauth2/token", 200, serviceSample("twitch-oauth2-token.json"));
        QList<int> polled;
        rig.id.onRequest = [&](const QByteArray &path) {
            if (path == "/oauth2/token")
                polled << int(rig.clock.now() / 1000 - kStart);
        };
        rig.account.logIn();
        rig.settle();
        QCOMPARE(rig.account.state(), TwitchAccount::State::Waiting);
        QCOMPARE(rig.account.userCode(), QStringLiteral("ABCDEFGH"));
        QCOMPARE(rig.account.minutesLeft(), 30);
        QVERIFY(rig.id.fullRequests.first().endsWith(
            "client_id=cid&scopes=chat%3Aread%20chat%3Aedit%20moderator%3Aread%3Afollowers"));
        rig.seconds(30);
        QCOMPARE(polled, pollSeconds);
        QVERIFY(rig.tokenBodies().first().contains(
            "device_code=ike3GM8QIdYZs43KdrWPIO36LofILoCyFEzjlQ91&grant_type=urn%3Aietf%3Aparams"
            "%3Aoauth%3Agrant-type%3Adevice_code"));
        if (!failure.isEmpty()) {
            QCOMPARE(rig.account.state(), TwitchAccount::State::LoggedOut);
            QCOMPARE(rig.failures.size(), 1);
            QVERIFY2(rig.failures.first().contains(failure), qPrintable(rig.failures.first()));
            return;
        }
        QVERIFY(rig.failures.isEmpty());
        QCOMPARE(rig.account.state(), TwitchAccount::State::LoggedIn);
        const TwitchTokens &tokens = rig.stored.last();
        QCOMPARE(tokens.login, QStringLiteral("ynot01"));
        QCOMPARE(tokens.userId, QStringLiteral("35903581"));
        QCOMPARE(tokens.accessToken, QStringLiteral("rfx2uswqe8l4g1mkagrvg5tv0ks3"));
        QCOMPARE(tokens.expiresAt, kStart + pollSeconds.last() + 5591253); // as validation says
        QCOMPARE(tokens.scopes.size(), 3);
        QCOMPARE(TwitchTokens::fromJson(tokens.toJson()).toJson(), tokens.toJson());
    }

    void codeRunsOut() {
        Rig rig;
        rig.id.route("/oauth2/token", 400, serviceSample("twitch-oauth2-token-pending.json"));
        rig.account.logIn();
        rig.settle();
        rig.clock.advance(1800 * 1000);
        rig.seconds(1);
        QCOMPARE(rig.account.state(), TwitchAccount::State::LoggedOut);
        QCOMPARE(rig.failures.size(), 1);
        QVERIFY(rig.failures.first().contains("ещё раз"));
    }

    // Each refresh sends the token of the last answer, and that answer is kept before anything
    // else happens.
    void refreshRotates() {
        Rig rig;
        rig.id.queue("/oauth2/token", 200, fresh("A2", "R2"));
        rig.id.queue("/oauth2/token", 200, fresh("A3", "R3"));
        QSignalSpy renewed(&rig.account, &TwitchAccount::renewed);
        rig.restore(60); // inside the five minutes before expiry: renewed at once
        QCOMPARE(rig.stored.first().refreshToken, QStringLiteral("R2"));
        QCOMPARE(renewed.count(), 1);
        rig.clock.advance((5591253 - 300) * qint64(1000));
        rig.seconds(1);
        const QList<QByteArray> bodies = rig.tokenBodies();
        QCOMPARE(bodies.size(), 2);
        QVERIFY(bodies[0].endsWith("grant_type=refresh_token&refresh_token=R1"));
        QVERIFY(bodies[1].endsWith("grant_type=refresh_token&refresh_token=R2"));
        QCOMPARE(rig.account.tokens().accessToken, QStringLiteral("A3"));
        QCOMPARE(rig.account.tokens().refreshToken, QStringLiteral("R3"));
        QVERIFY(rig.failures.isEmpty());
    }

    // A 401 at validation is renewed once; what happens next decides the session.
    void refusedAtValidation_data() {
        QTest::addColumn<int>("refreshStatus");
        QTest::addColumn<int>("secondValidation");
        QTest::addColumn<bool>("loggedIn");
        QTest::newRow("refresh works") << 200 << 200 << true;
        QTest::newRow("refresh rejected") << 400 << 200 << false;
        QTest::newRow("new token refused too") << 200 << 401 << false;
    }
    void refusedAtValidation() {
        QFETCH(int, refreshStatus);
        QFETCH(int, secondValidation);
        QFETCH(bool, loggedIn);
        Rig rig;
        rig.restore(14000);
        QCOMPARE(rig.account.state(), TwitchAccount::State::LoggedIn);
        rig.id.queue("/oauth2/validate", 401, serviceSample("twitch-oauth2-validate-401.json"));
        rig.id.queue("/oauth2/validate", secondValidation,
                     serviceSample(secondValidation == 200 ? "twitch-oauth2-validate.json"
                                                           : "twitch-oauth2-validate-401.json"));
        rig.id.queue("/oauth2/token", refreshStatus,
                     refreshStatus == 200
                         ? fresh("A2", "R2")
                         : serviceSample("twitch-oauth2-token-invalid-refresh.json"));
        rig.clock.advance(TwitchAccount::kValidateEveryMs);
        rig.seconds(1);
        QCOMPARE(rig.tokenBodies().size(), 1);
        QCOMPARE(rig.account.state() == TwitchAccount::State::LoggedIn, loggedIn);
        QCOMPARE(rig.stored.last().loggedIn(), loggedIn);
        QCOMPARE(rig.failures, loggedIn ? QStringList() : QStringList{"Twitch: вход истёк, войдите снова"});
    }

    void logOutRevokes() {
        Rig rig;
        rig.restore(14000);
        rig.account.logOut();
        rig.settle();
        QVERIFY(rig.id.fullRequests.last().startsWith("POST /oauth2/revoke"));
        QVERIFY(rig.id.fullRequests.last().endsWith("client_id=cid&token=A1"));
        QVERIFY(!rig.stored.last().loggedIn());
        QCOMPARE(rig.account.state(), TwitchAccount::State::LoggedOut);
    }

    // No id server at all: the renewal is sent again 1, 2, 4 s apart, said once in words, and
    // the token is kept for when the network is back.
    void offlineIsSaidOnce() {
        ManualScheduler scheduler;
        Http http{scheduler};
        ManualClock clock{QDateTime::fromSecsSinceEpoch(kStart)};
        TwitchAccount account(http, clock, QUrl("http://127.0.0.1:1"), [] { return QStringLiteral("cid"); });
        QSignalSpy failed(&account, &TwitchAccount::failed);
        TwitchTokens tokens;
        tokens.accessToken = "A1";
        tokens.refreshToken = "R1";
        tokens.expiresAt = kStart + 10;
        account.restore(tokens);
        for (const int delay : {1000, 2000, 4000}) {
            QTRY_VERIFY(scheduler.pendingDelays.contains(delay));
            account.tick();
            QVERIFY(scheduler.run(delay));
        }
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.first().first().toString(),
                 QStringLiteral("Twitch: нет связи с 127.0.0.1, пробуем снова через 1 с"));
        QCOMPARE(http.inFlight(), 1);
        QCOMPARE(account.tokens().refreshToken, QStringLiteral("R1"));
        QCOMPARE(account.state(), TwitchAccount::State::LoggedIn);
    }
};

QTEST_GUILESS_MAIN(TestTwitchAccount)
#include "tst_twitchaccount.moc"
