#include "fakes/freeport.h"
#include "fakes/manualclock.h"
#include "fakes/tables.h"
#include "overlay/overlayfeed.h"
#include "overlay/overlayserver.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpServer>
#include <QWebSocket>
#include <QtTest>

namespace {
struct FeedRig {
    ManualClock clock{QDateTime::fromMSecsSinceEpoch(1700000000000)};
    OverlayFeed feed{clock};
    QStringList shown; // "id html", as the pages were told
    QList<qint64> removed;
    FeedRig() {
        QObject::connect(&feed, &OverlayFeed::lineShown, [this](const RenderedLine &line) {
            shown << QString::number(line.id) + QLatin1Char(' ') + line.html;
        });
        QObject::connect(&feed, &OverlayFeed::lineRemoved, [this](qint64 id) { removed << id; });
    }
    // Lines are numbered as the presenter numbers them.
    void add(const QString &html, const QStringList &keys) {
        RenderedLine line;
        line.id = ++lastId;
        line.html = html;
        line.keys = keys;
        feed.addLine(line);
    }
    qint64 lastId = 0;
    void wait(qint64 ms) {
        clock.advance(ms);
        feed.tick();
    }
};

struct HttpAnswer {
    int status = 0;
    QByteArray body;
    QByteArray policy;
};

HttpAnswer request(const QByteArray &method, const QString &url) {
    QNetworkAccessManager network;
    QNetworkRequest request{QUrl(url)};
    QNetworkReply *reply = network.sendCustomRequest(request, method);
    QSignalSpy done(reply, &QNetworkReply::finished);
    if (!reply->isFinished())
        done.wait(5000);
    HttpAnswer answer{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                      reply->readAll(), reply->rawHeader("Content-Security-Policy")};
    reply->deleteLater();
    return answer;
}
} // namespace

class TestOverlay : public QObject {
    Q_OBJECT
private slots:
    // Without a delay a line shows at once; with one it waits, and a removal while it waits
    // keeps it from the stream for good.
    void delayHoldsLinesBack() {
        FeedRig rig;
        rig.add("a", {"twitch-1", "twitch-nick-ann"});
        QCOMPARE(rig.shown, QStringList{"1 a"});

        rig.feed.setDelaySeconds(3);
        rig.add("b", {"twitch-2", "twitch-nick-bob"});
        rig.add("c", {"twitch-3", "twitch-nick-cid"});
        rig.wait(1000);
        rig.feed.remove("twitch-2");
        rig.wait(1999);
        QCOMPARE(rig.shown.size(), 1);
        rig.wait(1);
        QCOMPARE(rig.shown, (QStringList{"1 a", "3 c"}));
        QVERIFY(rig.removed.isEmpty());
        QVERIFY(!rig.feed.waiting());
    }

    // A ban or timeout takes every shown line of the user; another user's lines stay.
    void removalByUserOrMessage() {
        FeedRig rig;
        rig.add("a1", {"twitch-1", "twitch-nick-ann"});
        rig.add("b1", {"goodgame-7"});
        rig.add("a2", {"twitch-3", "twitch-nick-ann"});
        rig.feed.remove("twitch-nick-ann");
        QCOMPARE(rig.removed, (QList<qint64>{1, 3}));
        rig.feed.remove("goodgame-7");
        QCOMPARE(rig.removed, (QList<qint64>{1, 3, 2}));
        QVERIFY(rig.feed.shown().isEmpty());
    }

    void boundsAreKept_data() {
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("held");
        QTest::newRow("negative") << -4 << 0;
        QTest::newRow("past the longest") << 99 << 15;
    }
    void boundsAreKept() {
        QFETCH(int, delay);
        QFETCH(int, held);
        FeedRig rig;
        rig.feed.setDelaySeconds(delay);
        QCOMPARE(rig.feed.delaySeconds(), held);
        rig.feed.setMaxLines(2);
        for (const char *html : {"x", "y", "z"})
            rig.add(html, {});
        rig.wait(15000);
        QCOMPARE(rig.feed.shown().size(), 2);
        QCOMPARE(rig.feed.shown().first().html, QStringLiteral("y"));
    }

    // Only GET of a known path is answered; on the local network every request carries the
    // token; no path reaches a file on the disk.
    void httpAnswers_data() {
        addTableRows("overlay-http.tsv", {"open", "method", "path", "status"});
    }
    void httpAnswers() {
        QFETCH(QString, open);
        QFETCH(QString, method);
        QFETCH(QString, path);
        QFETCH(QString, status);
        const bool lan = open == QLatin1String("lan");
        OverlayServer server;
        const quint16 port = freePortPair();
        QString error;
        QVERIFY2(server.listen({port, lan, QStringLiteral("t0ken"), {}}, &error),
                 qPrintable(error));
        const HttpAnswer answer =
            request(method.toLatin1(), QStringLiteral("http://127.0.0.1:%1").arg(port) + path);
        QCOMPARE(answer.status, status.toInt());
        if (answer.status == 200 && path.startsWith(QLatin1String("/overlay/chat"))) {
            QVERIFY(answer.body.contains("data-kind=\"chat\""));
            QVERIFY(answer.body.contains(lan ? "overlay.js?token=t0ken\"" : "overlay.js\""));
            QVERIFY2(
                answer.policy.contains("script-src 'self'") &&
                    answer.policy.contains(
                        QStringLiteral("connect-src ws://127.0.0.1:%1").arg(port + 1).toUtf8()),
                answer.policy);
        }
        if (status != 200)
            QVERIFY(!answer.body.contains("root:"));
    }

    // A busy port is said, not fatal; the server can listen again elsewhere.
    void busyPortIsReported_data() {
        QTest::addColumn<int>("taken"); // 0: the page port, 1: the events port
        QTest::newRow("page port") << 0;
        QTest::newRow("events port") << 1;
    }
    void busyPortIsReported() {
        QFETCH(int, taken);
        const quint16 port = freePortPair();
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::LocalHost, quint16(port + taken)));
        OverlayServer server;
        QString error;
        QVERIFY(!server.listen({port, false, {}, {}}, &error));
        QCOMPARE(error,
                 QStringLiteral("Оверлей: порт %1 занят, оверлей не запущен").arg(port + taken));
        QVERIFY(!server.listening());
        squatter.close();
        QVERIFY(server.listen({port, false, {}, {}}, &error));
        QVERIFY(server.listening());
        QVERIFY(!server.listen({0, false, {}, {}}, &error));
        QCOMPARE(error, QStringLiteral("Оверлей: порт не задан, оверлей не запущен"));
    }

    // The events socket: the right path and token only, at most eight pages, each told the
    // welcome first.
    void eventsSocket() {
        OverlayServer server;
        const quint16 port = freePortPair();
        QString error;
        QVERIFY(server.listen({port, true, QStringLiteral("t0ken"), {}}, &error));
        server.setWelcome([] { return QList<Json>{Json{{"type", "welcome"}}}; });
        const auto open = [port](QWebSocket &socket, const QString &pathAndQuery) {
            socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(port + 1) + pathAndQuery));
        };
        QWebSocket stranger;
        QSignalSpy strangerClosed(&stranger, &QWebSocket::disconnected);
        open(stranger, "/overlay/events?token=nope");
        QVERIFY(strangerClosed.wait(5000));

        QList<QWebSocket *> pages;
        QList<QSignalSpy *> welcomes;
        for (int i = 0; i < OverlayServer::kMaxClients; ++i) {
            pages << new QWebSocket;
            welcomes << new QSignalSpy(pages.last(), &QWebSocket::textMessageReceived);
            open(*pages.last(), "/overlay/events?token=t0ken");
        }
        for (QSignalSpy *welcome : welcomes)
            QVERIFY(!welcome->isEmpty() || welcome->wait(5000));
        QCOMPARE(welcomes.first()->first().first().toString(),
                 QStringLiteral("{\"type\":\"welcome\"}"));
        QTRY_COMPARE(server.clientCount(), OverlayServer::kMaxClients);

        QWebSocket ninth;
        QSignalSpy ninthClosed(&ninth, &QWebSocket::disconnected);
        open(ninth, "/overlay/events?token=t0ken");
        QVERIFY(ninthClosed.wait(5000));
        QCOMPARE(server.clientCount(), OverlayServer::kMaxClients);

        server.broadcast({{"type", "alertEnd"}});
        for (QSignalSpy *welcome : welcomes)
            QTRY_COMPARE(welcome->size(), 2);
        qDeleteAll(welcomes);
        qDeleteAll(pages);
        QTRY_COMPARE(server.clientCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestOverlay)
#include "tst_overlay.moc"
