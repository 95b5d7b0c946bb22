#include "fakes/donationalertsrig.h"
#include "fakes/freeport.h"
#include "fakes/samples.h"
#include "fakes/tables.h"
#include "services/rehearsal.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

namespace {
const QString kExpired = QStringLiteral("DonationAlerts: вход истёк — войдите снова");

QString donationLine(const QString &text) {
    return QStringLiteral("[DonationAlerts] ") + text;
}

// The body the loopback page gives a browser that asks for it.
QByteArray fetch(const QUrl &url) {
    QNetworkAccessManager network;
    QNetworkReply *reply = network.get(QNetworkRequest(url));
    QSignalSpy finished(reply, &QNetworkReply::finished);
    finished.wait(5000);
    reply->deleteLater();
    return reply->readAll();
}
} // namespace

class TestDonationAlerts : public QObject {
    Q_OBJECT

    // Started with the stored login, joined, and the donations before the run read.
    static void join(DonationAlertsRig &rig) {
        rig.logIn();
        rig.service.start();
        QTRY_COMPARE(rig.service.step(), DonationAlerts::Step::Live);
        QTRY_VERIFY(rig.server.steps.contains("http /api/v1/alerts/donations"));
        rig.settle();
    }

private slots:
    void donationReads_data() { addTableRows("donationalerts-reads.tsv", {"changes", "line"}); }

    // A publication, replayed: one alert with the text the streamer hears and reads.
    void donationReads() {
        QFETCH(QString, changes);
        QFETCH(QString, line);
        DonationAlertsRig rig;
        rig.service.readFramesAt(DonationAlerts::Step::Live);
        rig.service.processFrame(DonationAlertsServer::publication(
            DonationAlertsServer::donation(30, parseJson(changes))));
        QCOMPARE(rig.alerts(), QStringList{donationLine(line)});
        for (const QString &html : rig.chatHtml())
            QVERIFY2(!html.contains(QLatin1String("<b>B")) &&
                         !html.contains(QLatin1String("<img src=x")),
                     qPrintable(html));
    }

    void sessionShakesHandsInOrder() {
        DonationAlertsRig rig;
        join(rig);
        QCOMPARE(rig.server.steps,
                 (QStringList{"http /api/v1/user/oauth", "socket method 0",
                              "http /api/v1/centrifuge/subscribe", "socket method 1",
                              "http /api/v1/alerts/donations"}));
        const Json connect = parseJson(rig.server.socket.frames.at(0));
        const Json user = parseJson(serviceSample("donationalerts-user-oauth.json"));
        QCOMPARE(connect["params"]["token"], user["data"]["socket_connection_token"]);
        const QByteArray subscribeRequest = rig.server.site.fullRequests.at(1);
        QVERIFY(subscribeRequest.contains("Authorization: Bearer " +
                                          DonationAlertsServer::accessToken()));
        const Json asked =
            parseJson(subscribeRequest.mid(subscribeRequest.indexOf("\r\n\r\n") + 4));
        QCOMPARE(asked, (Json{{"channels", {"$alerts:donation_3"}},
                              {"client", "1c5e0b0e-3c2d-4a7b-9f1e-5d6c7b8a9e0f"}}));
        const Json subscribe = parseJson(rig.server.socket.frames.at(1));
        QCOMPARE(subscribe["method"], Json(1));
        QCOMPARE(subscribe["params"]["channel"], Json("$alerts:donation_3"));
        QCOMPARE(subscribe["params"]["token"],
                 parseJson(serviceSample("donationalerts-subscribe.json"))["channels"][0]["token"]);
        QCOMPARE(rig.service.connection().stateName(), QStringLiteral("connected"));

        // One, two in one frame, then the first again: three alerts.
        rig.server.publish(DonationAlertsServer::donation(31));
        rig.server.socket.send(
            DonationAlertsServer::publication(DonationAlertsServer::donation(32)) + '\n' +
            DonationAlertsServer::publication(DonationAlertsServer::donation(33)));
        rig.server.publish(DonationAlertsServer::donation(31));
        rig.server.publish(DonationAlertsServer::donation(34, {{"username", "Last"}}));
        QTRY_COMPARE(rig.alerts().size(), 4);
        QVERIFY(rig.alerts().last().contains(QLatin1String("Last")));
        QCOMPARE(rig.log("error"), QStringList());
        QCOMPARE(rig.dir.fileHolding({DonationAlertsServer::accessToken(), "socket.c2lnbmF0dXJl",
                                      "channel.c2lnbmF0dXJl"}),
                 QString());
        // A log-out leaves no session running on the token it dropped.
        rig.service.account().logOut();
        QVERIFY(!rig.service.running());
        QTRY_VERIFY(!rig.server.socket.clientOpen());
    }

    // A silent link is pinged after 25 s and given up 10 s later.
    void silentLinkIsPingedThenDropped() {
        DonationAlertsRig rig;
        join(rig);
        for (int second = 0; second < 25; ++second)
            rig.tick();
        QTRY_COMPARE(rig.server.socket.frames.size(), 3);
        QCOMPARE(parseJson(rig.server.socket.frames.last())["method"], Json(7));
        QTRY_COMPARE(rig.server.steps.size(), 6); // the ping's answer came
        rig.server.socket.onFrame = nullptr;      // from now on nothing answers
        for (int second = 0; second < 25 + 10; ++second)
            rig.tick();
        QCOMPARE(rig.service.connection().stateName(), QStringLiteral("connecting"));
        QTRY_COMPARE(rig.server.socket.connections, 2);
    }

    void refusalEndsTheLogin_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("user") << QByteArray("/api/v1/user/oauth");
        QTest::newRow("subscribe") << QByteArray("/api/v1/centrifuge/subscribe");
        QTest::newRow("donations") << QByteArray("/api/v1/alerts/donations");
    }

    // A 401 anywhere: one line, the service stopped, the login gone.
    void refusalEndsTheLogin() {
        QFETCH(QByteArray, path);
        DonationAlertsRig rig;
        rig.server.site.route(path, 401, serviceSample("donationalerts-unauthenticated.json"));
        QSignalSpy statuses(&rig.service, &ChatService::status);
        rig.logIn();
        rig.service.start();
        QTRY_COMPARE(rig.log("error"), QStringList{kExpired});
        rig.settle();
        for (int second = 0; second < 70; ++second)
            rig.tick();
        rig.settle();
        QCOMPARE(rig.log("error"), QStringList{kExpired});
        QCOMPARE(statuses.last().first().toString(), kExpired);
        QVERIFY(!rig.service.running());
        QCOMPARE(rig.service.account().state(), DonationAlertsAccount::State::LoggedOut);
        QVERIFY(!rig.config.get().contains(QLatin1String(DonationAlertsServer::accessToken())));
    }

    void refusedSubscriptionIsRetried_data() {
        addTableRows("donationalerts-refused-subscriptions.tsv", {"status", "body", "said"});
    }

    void refusedSubscriptionIsRetried() {
        QFETCH(QString, status);
        QFETCH(QString, body);
        QFETCH(QString, said);
        DonationAlertsRig rig;
        rig.server.site.route("/api/v1/centrifuge/subscribe", status.toInt(), body.toUtf8());
        rig.logIn();
        rig.service.start();
        QTRY_COMPARE(rig.service.connection().stateName(), QStringLiteral("reconnecting"));
        for (int attempt = 2; attempt <= 3; ++attempt) {
            for (int second = 0; second < (1 << (attempt - 1)); ++second)
                rig.tick();
            QTRY_COMPARE(rig.server.socket.connections, attempt);
            QTRY_COMPARE(rig.service.connection().stateName(), QStringLiteral("reconnecting"));
        }
        QCOMPARE(rig.log("error"), QStringList{said});
        rig.server.site.route("/api/v1/centrifuge/subscribe", 200,
                              serviceSample("donationalerts-subscribe.json"));
        for (int second = 0; second < 4; ++second)
            rig.tick();
        QTRY_COMPARE(rig.service.step(), DonationAlerts::Step::Live);
    }

    // After an outage: a new handshake, then the donations it hid, once each, oldest first;
    // the ones from before the run and the ones already shown are not shown again.
    void reconnectShowsTheMissedOnce() {
        DonationAlertsRig rig;
        rig.server.setDonations({DonationAlertsServer::donation(10)});
        join(rig);
        rig.server.publish(DonationAlertsServer::donation(11));
        rig.server.publish(DonationAlertsServer::donation(12));
        QTRY_COMPARE(rig.alerts().size(), 2);

        std::vector<Json> page;
        for (qint64 id = 15; id >= 10; --id)
            page.push_back(
                DonationAlertsServer::donation(id, {{"username", "N" + std::to_string(id)}}));
        rig.server.setDonations(page);
        // A live one comes while the missed ones are read.
        rig.server.site.onRequest = [&rig](const QByteArray &path) {
            if (path.startsWith("/api/v1/alerts/donations"))
                rig.server.publish(DonationAlertsServer::donation(16, {{"username", "N16"}}));
        };
        rig.server.socket.closeClient();
        QTRY_COMPARE(rig.service.connection().stateName(), QStringLiteral("reconnecting"));
        rig.tick();
        QTRY_COMPARE(rig.server.socket.connections, 2);
        QTRY_COMPARE(rig.alerts().size(), 6);
        QCOMPARE(rig.server.socket.frames.size(), 4); // connect and subscribe, twice
        QStringList names;
        for (const QString &line : rig.alerts())
            names << line.section(QLatin1Char(' '), 1, 1);
        QCOMPARE(names, (QStringList{"Ivan", "Ivan", "N13", "N14", "N15", "N16"}));
        const QStringList chat = rig.log("chat");
        const int missedLine = chat.indexOf("- DonationAlerts: пропущенные донаты показаны (3)");
        QVERIFY(missedLine > chat.indexOf(donationLine(
                                 "N15 поддержал канал на 500 руб. и написал: \"Hello!\"")));
        QVERIFY(missedLine < chat.indexOf(donationLine(
                                 "N16 поддержал канал на 500 руб. и написал: \"Hello!\"")));
    }

    void loginComesBack_data() {
        QTest::addColumn<bool>("pasted");
        QTest::newRow("the loopback page") << false;
        QTest::newRow("the address pasted") << true;
    }

    // The consent page's address, the browser back at the loopback page, the token kept.
    void loginComesBack() {
        QFETCH(bool, pasted);
        DonationAlertsRig rig;
        const QUrl redirect(QStringLiteral("http://127.0.0.1:%1/donationalerts").arg(freePort()));
        rig.endpoints.set(endpoint::donationalertsRedirect, redirect);
        DonationAlerts service{ServiceDeps{rig.sink, rig.utils, rig.logger, rig.http, rig.endpoints,
                                           rig.clock, rig.random}};
        DonationAlertsAccount &account = service.account();
        account.logIn();
        QCOMPARE(account.state(), DonationAlertsAccount::State::Waiting);
        const QUrlQuery asked(QUrl(account.authorizeUrl()));
        QCOMPARE(asked.queryItemValue("client_id"), QStringLiteral("cid"));
        QCOMPARE(asked.queryItemValue("redirect_uri", QUrl::FullyDecoded), redirect.toString());
        QCOMPARE(asked.queryItemValue("response_type"), QStringLiteral("token"));
        QCOMPARE(asked.queryItemValue("scope", QUrl::FullyDecoded),
                 QStringLiteral("oauth-user-show oauth-donation-subscribe oauth-donation-index"));

        const QString back = redirect.toString() +
                             "#access_token=" + DonationAlertsServer::accessToken() +
                             "&token_type=Bearer&expires_in=1";
        if (pasted) {
            account.takeAddress(back);
        } else {
            QVERIFY(fetch(redirect).contains("location.hash"));
            QVERIFY(fetch(QUrl(QString(back).replace('#', '?'))).contains("Готово"));
        }
        QTRY_COMPARE(account.state(), DonationAlertsAccount::State::LoggedIn);
        QCOMPARE(account.login(), QStringLiteral("tris"));
        const Json stored = parseJson(rig.config.get())["services"]["donationalerts"]["auth"];
        QCOMPARE(stored,
                 (Json{{"access_token", DonationAlertsServer::accessToken().toStdString()},
                       {"user_id", 3},
                       {"name", "tris"},
                       {"scopes",
                        {"oauth-user-show", "oauth-donation-subscribe", "oauth-donation-index"}},
                       {"obtained_at", rig.clock.now() / 1000}}));
        QVERIFY(rig.server.site.fullRequests.first().contains("Bearer " +
                                                              DonationAlertsServer::accessToken()));
        QCOMPARE(rig.dir.fileHolding({DonationAlertsServer::accessToken()}), QString());
    }

    void failedLoginSaysWhy_data() {
        addTableRows("donationalerts-failed-logins.tsv", {"address", "status", "said"});
    }

    void failedLoginSaysWhy() {
        QFETCH(QString, address);
        QFETCH(QString, status);
        QFETCH(QString, said);
        DonationAlertsRig rig;
        rig.endpoints.set(endpoint::donationalertsRedirect,
                          QStringLiteral("http://127.0.0.1:%1/donationalerts").arg(freePort()));
        DonationAlerts service{ServiceDeps{rig.sink, rig.utils, rig.logger, rig.http, rig.endpoints,
                                           rig.clock, rig.random}};
        rig.server.site.route("/api/v1/user/oauth", status.toInt(),
                              serviceSample("donationalerts-unauthenticated.json"));
        service.account().logIn();
        service.account().takeAddress(address);
        QTRY_COMPARE(rig.log("error"), QStringList{said});
        QCOMPARE(service.account().state(), DonationAlertsAccount::State::LoggedOut);
    }

    void badFrameIsDroppedWithOneLine_data() {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("said");
        QTest::newRow("not JSON") << "{\"result\":"
                                  << "ОШИБКА: кадр DonationAlerts не разобран, отброшен";
        QTest::newRow("a list") << "[1,2]"
                                << "ОШИБКА: кадр DonationAlerts не разобран, отброшен";
        QTest::newRow("too deep")
            << QString(300, '[') + QString(300, ']')
            << "ОШИБКА: кадр DonationAlerts вложен глубже 64 уровней, отброшен";
        QTest::newRow("too big") << QString(CentrifugoSession::kMaxFrameBytes + 1, ' ')
                                 << "ОШИБКА: кадр DonationAlerts длиннее 1024 КБ, отброшен";
        QTest::newRow("no donation")
            << R"({"result":{"channel":"c","data":{"seq":1,"data":{"id":"x"}}}})"
            << "ОШИБКА: кадр DonationAlerts без доната, отброшен";
    }

    void badFrameIsDroppedWithOneLine() {
        QFETCH(QString, frame);
        QFETCH(QString, said);
        DonationAlertsRig rig;
        rig.service.readFramesAt(DonationAlerts::Step::Live);
        rig.service.processFrame(frame);
        rig.service.processFrame(
            DonationAlertsServer::publication(DonationAlertsServer::donation(30)));
        QCOMPARE(rig.log("error"), QStringList{said});
        QCOMPARE(rig.alerts().size(), 1);
    }

    void testButtonPlaysADonation() {
        DonationAlertsRig rig;
        Rehearsal draw(rig.random);
        rig.service.rehearse(rig.service.soundSlots().first(), draw);
        rig.service.rehearse(rig.service.soundSlots().first(), draw);
        QCOMPARE(rig.alerts().size(), 2);
        QVERIFY(
            rig.alerts().first().startsWith(donationLine("TesterTesterov поддержал канал на ")));
    }
};

QTEST_GUILESS_MAIN(TestDonationAlerts)
#include "tst_donationalerts.moc"
