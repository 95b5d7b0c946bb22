#include "fakes/httpserver.h"
#include "fakes/ircserver.h"
#include "startup.h"
#include "windowrig.h"

#include <QGuiApplication>
#include <QtTest>

namespace {
// Every HTTP address at a server that accepts and never answers, the Twitch chat at a
// loopback IRC server and the gap's history at a server of its own.
Endpoints stalled(const HttpServer &silent, const HttpServer &history) {
    Endpoints endpoints = quietEndpoints(silent.url());
    endpoints.set(endpoint::twitchHistory, history.url());
    return endpoints;
}

QString chatLine(int number) {
    return QStringLiteral("@badges=;color=;display-name=Ann;id=m%1;tmi-sent-ts=%2;user-id=9 "
                          ":ann!ann@ann.tmi.twitch.tv PRIVMSG #chan :line %1")
        .arg(number)
        .arg(QDateTime::currentMSecsSinceEpoch() + number);
}
} // namespace

// The real window when every outside request stalls, and across a RECONNECT of Twitch's.
class TestStalls : public QObject {
    Q_OBJECT
private:
    HttpServer m_silent;
    HttpServer m_history;
    IrcServer m_irc;
    WindowRig m_rig{stalled(m_silent, m_history)};
    int m_questions = 0;
    QStringList m_lines; // as the server sent them

    QString shownText() {
        return askPage(m_rig.item("chatView"), QStringLiteral("document.body.innerText"),
                       ++m_questions);
    }
    QString errorLog() const {
        return QString::fromUtf8(m_rig.data.read(
            QStringLiteral("logs/") +
            QDate::currentDate().toString(QStringLiteral("yyyy/yyyy-MM/yyyy-MM-dd/yyyy-MM-dd")) +
            QStringLiteral(".error.log")));
    }
    void send(int number) {
        m_lines << chatLine(number);
        m_irc.send(m_lines.last().toUtf8() + "\r\n");
    }

private slots:
    void initTestCase() {
        m_silent.stallEverything(HttpServer::Stall::Silent);
        m_rig.config.set(QStringLiteral(R"({"services":{"twitch":{"host":"127.0.0.1",)"
                                        R"("port":"%1","login":"bot","password":"oauth:x",)"
                                        R"("channel":"chan"}}})")
                             .arg(m_irc.port()));
        QVERIFY(m_rig.load());
        m_rig.modules.mainWindow().initChat();
    }

    // The chat joins and shows its lines while the badge, emote and token requests stall;
    // each stalled request is named in the error log once its 15 s are up.
    void chatJoinsWhileEverythingStalls() {
        QMetaObject::invokeMethod(m_rig.item("twitchStartButton"), "clicked");
        QVERIFY(m_irc.accept());
        QVERIFY(m_irc.receivedTimes("JOIN #chan\r\n", 1));
        m_irc.send("@room-id=77 :tmi.twitch.tv ROOMSTATE #chan\r\n");
        send(1);
        send(2);
        QTRY_VERIFY(shownText().contains(QLatin1String("line 2")));
        const QString late =
            QStringLiteral(": 127.0.0.1 не ответил за 15 с, пробуем снова через 1 с");
        for (const char *service : {"Twitch", "BTTV", "FFZ", "7TV"})
            QTRY_VERIFY_WITH_TIMEOUT(errorLog().contains(QLatin1String(service) + late), 20000);
        QVERIFY(shownText().contains(QLatin1String("line 1")));
    }

    // Twitch asks to reconnect while lines keep coming: the ones said meanwhile come from the
    // history, every line shows once and in order, with the count.
    void everyLineOnceAcrossAReconnect() {
        send(3);
        QTRY_VERIFY(shownText().contains(QLatin1String("line 3")));
        m_irc.send(":tmi.twitch.tv RECONNECT\r\n");
        // The window reads the request in its own turn of the event loop.
        QTRY_VERIFY(m_irc.server.hasPendingConnections());
        QVERIFY(m_irc.accept());
        QVERIFY(m_irc.receivedTimes("JOIN #chan\r\n", 1));
        // Said while Kestro was away: only the history has them.
        m_lines << chatLine(4) << chatLine(5);
        Json messages = Json::array();
        for (const QString &line : m_lines)
            messages.push_back(stdstr(line));
        m_history.route(
            "/api/v2/recent-messages/chan?limit=800", 200,
            QByteArray::fromStdString(Json{{"messages", messages}, {"error", nullptr}}.dump()));
        m_irc.send("@room-id=77 :tmi.twitch.tv ROOMSTATE #chan\r\n");
        send(6);
        QTRY_VERIFY(shownText().contains(QLatin1String("line 6")));
        const QString shown = shownText();
        int at = -1;
        for (int number = 1; number <= 6; ++number) {
            const QString line = QStringLiteral("line %1").arg(number);
            QCOMPARE(shown.count(line), 1);
            QVERIFY2(shown.indexOf(line) > at, qPrintable(line));
            at = shown.indexOf(line);
        }
        QVERIFY(shown.contains(QStringLiteral("пропущенные сообщения показаны (2)")));
        QVERIFY(shown.indexOf(QStringLiteral("пропущенные")) <
                shown.indexOf(QLatin1String("line 6")));
    }
};

KESTRO_WINDOW_TEST_MAIN(TestStalls)
#include "tst_stalls.moc"
