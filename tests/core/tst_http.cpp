#include "fakes/httpserver.h"
#include "fakes/manualscheduler.h"
#include "net/http.h"

#include <QtTest>

Q_DECLARE_METATYPE(HttpServer::Stall)

namespace {
// One request through Http on a manual scheduler, the replies and the words it says.
struct Exchange {
    HttpServer server;
    ManualScheduler scheduler;
    Http http{scheduler};
    QList<HttpReply> replies;
    QStringList said;
    bool wanted = true;

    Patience patience() {
        const auto stillWanted = [this] { return wanted; };
        return {QStringLiteral("Twitch"), [this](const QString &words) { said << words; },
                stillWanted};
    }
    void get(std::optional<Patience> patient = {}) {
        http.get(
            server.url().resolved(QUrl(QStringLiteral("/x"))),
            [this](const HttpReply &reply) { replies << reply; }, {}, std::move(patient));
    }
    // Waits until the server has been asked this many times.
    bool asked(int times) {
        return QTest::qWaitFor([&] { return server.requests.size() >= times; }, 5000);
    }
    // The deadline of the request in flight passes.
    bool timeOut() { return scheduler.run(Http::kTimeoutMs); }
    bool retry(int delayMs) { return scheduler.run(delayMs); }
};

const QString kHost = QStringLiteral("127.0.0.1");
} // namespace

class TestHttp : public QObject {
    Q_OBJECT
private slots:
    // A server that does not answer in full: the request ends at its deadline, or at once
    // when the link breaks, with the failure in words.
    void everyRequestEnds_data() {
        QTest::addColumn<HttpServer::Stall>("stall");
        QTest::addColumn<bool>("needsDeadline");
        QTest::addColumn<QString>("failure");
        const QString late = kHost + QStringLiteral(" не ответил за 15 с");
        QTest::newRow("accepts and says nothing") << HttpServer::Stall::Silent << true << late;
        QTest::newRow("trickles") << HttpServer::Stall::Trickle << true << late;
        QTest::newRow("resets") << HttpServer::Stall::Reset << false
                                << QStringLiteral("нет связи с ") + kHost;
    }
    void everyRequestEnds() {
        QFETCH(HttpServer::Stall, stall);
        QFETCH(bool, needsDeadline);
        QFETCH(QString, failure);
        Exchange exchange;
        exchange.server.stall("/x", stall);
        exchange.get();
        QVERIFY(exchange.asked(1));
        if (needsDeadline) {
            QCOMPARE(exchange.http.inFlight(), 1);
            QVERIFY(exchange.timeOut());
        }
        QTRY_COMPARE(exchange.replies.size(), 1);
        QCOMPARE(exchange.replies.first().status, 0);
        QCOMPARE(exchange.replies.first().failure, failure);
        QCOMPARE(exchange.http.inFlight(), 0);
        // A deadline after the end changes nothing.
        exchange.timeOut();
        QCOMPARE(exchange.replies.size(), 1);
    }

    // A request whose answer matters is sent again, 1, 2, 4 … 60 s apart, until the server
    // answers; the first miss is said once, and only the answer reaches the handler.
    void patientRequestsAreSentUntilAnswered_data() {
        QTest::addColumn<HttpServer::Stall>("stall");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("silent") << HttpServer::Stall::Silent << 0
                                << "Twitch: 127.0.0.1 не ответил за 15 с, пробуем снова через 1 с";
        QTest::newRow("server error") << HttpServer::Stall::None << 500
                                      << "Twitch: 127.0.0.1 ответил статусом 500, пробуем снова "
                                         "через 1 с";
        QTest::newRow("reset") << HttpServer::Stall::Reset << 0
                               << "Twitch: нет связи с 127.0.0.1, пробуем снова через 1 с";
    }
    void patientRequestsAreSentUntilAnswered() {
        QFETCH(HttpServer::Stall, stall);
        QFETCH(int, status);
        QFETCH(QString, said);
        Exchange exchange;
        exchange.server.stall("/x", stall);
        exchange.server.route("/x", status ? status : 200, "{}");
        exchange.get(exchange.patience());
        QList<int> delays;
        for (int attempt = 1; attempt <= 8; ++attempt) {
            QVERIFY(exchange.asked(attempt));
            if (stall == HttpServer::Stall::Silent)
                QVERIFY(exchange.timeOut());
            const int delay = Http::retryDelayMs(attempt - 1);
            QTRY_VERIFY(exchange.scheduler.pendingDelays.contains(delay));
            delays << delay;
            if (attempt == 8) {
                exchange.server.stall("/x", HttpServer::Stall::None);
                exchange.server.route("/x", 200, "{\"ok\":1}");
            }
            QVERIFY(exchange.retry(delay));
        }
        QTRY_COMPARE(exchange.replies.size(), 1);
        QCOMPARE(exchange.replies.first().status, 200);
        QCOMPARE(exchange.replies.first().body, QByteArray("{\"ok\":1}"));
        QCOMPARE(delays, (QList<int>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000}));
        QCOMPARE(exchange.said, QStringList{said});
        QCOMPARE(exchange.http.inFlight(), 0);
    }

    // Once the answer is no longer wanted the retries stop, and nothing is left in flight.
    void unwantedRetriesStop() {
        Exchange exchange;
        exchange.server.route("/x", 503, "busy");
        exchange.get(exchange.patience());
        QVERIFY(exchange.asked(1));
        QTRY_VERIFY(exchange.scheduler.pendingDelays.contains(Http::kFirstRetryMs));
        exchange.wanted = false;
        QVERIFY(exchange.retry(Http::kFirstRetryMs));
        QCOMPARE(exchange.server.requests.size(), 1);
        QCOMPARE(exchange.http.inFlight(), 0);
        QVERIFY(exchange.replies.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHttp)
#include "tst_http.moc"
