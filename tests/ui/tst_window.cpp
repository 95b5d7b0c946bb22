#include "fakes/cdpbrowser.h"
#include "fakes/donationalertsserver.h"
#include "fakes/freeport.h"
#include "fakes/goodgamechatserver.h"
#include "fakes/ircserver.h"
#include "fakes/pulseserver.h"
#include "fakes/quickitems.h"
#include "fakes/tables.h"
#include "fakes/tempdatadir.h"
#include "fakes/twitchidserver.h"
#include "fakes/vkvideoserver.h"
#include "fakes/wsserver.h"
#include "services/donationalerts/donationalerts.h"
#include "services/goodgame/goodgame.h"
#include "services/twitch/twitchkeys.h"
#include "services/vkvideo/vkvideo.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"
#include "shell/speechfile.h"
#include "startup.h"
#include "windowrig.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QtTest>

namespace {
// Every outside service on a port where nothing listens.
Endpoints nowhere() {
    Endpoints endpoints;
    endpoints.set(endpoint::twitchChatHost, QStringLiteral("127.0.0.1"));
    for (const EndpointKey &key :
         {endpoint::twitchApi, endpoint::twitchIdApi, endpoint::twitchStaticCdn, endpoint::bttvApi,
          endpoint::sevenTvApi, endpoint::bttvCdn, endpoint::ffzApi, endpoint::goodgameSite,
          endpoint::goodgameStatic})
        endpoints.set(key, QStringLiteral("http://127.0.0.1:9"));
    endpoints.set(endpoint::goodgameChat, QStringLiteral("ws://127.0.0.1:9/chat"));
    endpoints.set(endpoint::relayFollowers, QStringLiteral("ws://127.0.0.1:9/follows"));
    endpoints.set(endpoint::relaySpeech, QStringLiteral("ws://127.0.0.1:9/tts"));
    return endpoints;
}

// What the window finds after a restart: a few values of an earlier session.
const char *const kStored = R"({"services":{"twitch":{"channel":"Stored"}},)"
                            R"("view":{"chat":{"font":{"name":"Lora","type":"serif"}}},)"
                            R"("alerts":{"volume":0.4,"voice":"jane"}})";
} // namespace

// The real main window, on a virtual display.
class TestWindow : public QObject {
    Q_OBJECT
public slots:
    // The desktop's browser: the address the window asked it to open.
    void openInBrowser(const QUrl &url) { m_opened = url; }

private:
    PulseServer m_pulse; // before the window: its sound finds this server
    TwitchIdServer m_twitchId;
    WsServer m_eventSub;
    IrcServer m_irc;
    GoodgameChatServer m_goodgame;
    DonationAlertsServer m_donationAlerts;
    VkVideoServer m_vkVideo;
    WsServer m_speechRelay;
    QStringList m_heard; // the texts the relay was asked to say
    QUrl m_opened;
    // Twitch's login, badges and follows at the fakes; the rest nowhere.
    Endpoints fakes() {
        Endpoints endpoints = nowhere();
        endpoints.set(endpoint::twitchIdApi, m_twitchId.http.url());
        endpoints.set(endpoint::twitchApi, m_twitchId.http.url());
        endpoints.set(endpoint::twitchEventSub, m_eventSub.url("/ws"));
        endpoints.set(endpoint::twitchClientId, QStringLiteral("cid"));
        endpoints.set(endpoint::goodgameSite, m_goodgame.site.url());
        endpoints.set(endpoint::relaySpeech, m_speechRelay.url(QStringLiteral("/tts")));
        endpoints.set(endpoint::goodgameChat, m_goodgame.chat.url(QStringLiteral("/chat2/")));
        endpoints.set(endpoint::donationalertsSite, m_donationAlerts.site.url());
        endpoints.set(endpoint::donationalertsSocket,
                      m_donationAlerts.socket.url("/connection/websocket"));
        endpoints.set(endpoint::donationalertsClientId, QStringLiteral("cid"));
        endpoints.set(endpoint::donationalertsRedirect,
                      QStringLiteral("http://127.0.0.1:%1/donationalerts").arg(freePort()));
        endpoints.set(endpoint::vkvideoApi, m_vkVideo.api.url());
        endpoints.set(endpoint::vkvideoAuth, m_vkVideo.api.url());
        endpoints.set(endpoint::vkvideoSocket, m_vkVideo.socket.url("/connection/websocket"));
        endpoints.set(endpoint::vkvideoClientId, QStringLiteral("cid"));
        endpoints.set(endpoint::vkvideoRedirect,
                      QStringLiteral("http://localhost:%1/vkvideo").arg(freePort()));
        return endpoints;
    }
    WindowRig m_rig{fakes()};
    int m_questions = 0;

    QQuickItem *item(const char *name) const { return m_rig.item(name); }
    QQuickItem *tabButton(int index) const {
        QQuickItem *button = nullptr;
        QMetaObject::invokeMethod(item("tabs"), "itemAt", Q_RETURN_ARG(QQuickItem *, button),
                                  Q_ARG(int, index));
        return button;
    }
    void click(QQuickItem *target) {
        QVERIFY(target);
        const QPointF centre = target->mapToScene(QPointF(target->width(), target->height()) / 2);
        QTest::mouseClick(m_rig.window, Qt::LeftButton, {}, centre.toPoint());
    }
    // The one page of the stack that is shown.
    QQuickItem *currentPage() const {
        QQuickItem *shown = nullptr;
        for (QQuickItem *page : item("pages")->childItems()) {
            if (page->isVisible()) {
                if (shown)
                    return nullptr;
                shown = page;
            }
        }
        return shown;
    }
    // Scrolls the view so that the item stands near its top, as the mouse wheel would.
    void scrollTo(const char *view, QQuickItem *target) {
        QObject *flickable = item(view)->property("contentItem").value<QObject *>();
        auto *content = flickable->property("contentItem").value<QQuickItem *>();
        const qreal y = target->mapToItem(content, QPointF(0, 0)).y();
        flickable->setProperty("contentY", std::max<qreal>(0, y - 100));
    }
    void type(const char *field, const QString &text) {
        QQuickItem *input = item(field);
        input->forceActiveFocus();
        QMetaObject::invokeMethod(input, "selectAll");
        for (const QChar c : text)
            QTest::keyClick(m_rig.window, c.toLatin1());
    }
    QString askPage(const char *view, const QString &expression) {
        return ::askPage(item(view), expression, ++m_questions);
    }

private slots:
    void initTestCase() {
        m_rig.config.set(QString::fromUtf8(kStored));
        QVERIFY(m_rig.load());
    }

    void windowFrame() {
        QCOMPARE(m_rig.window->width(), 440);
        QCOMPARE(m_rig.window->height(), 600);
        QCOMPARE(m_rig.window->title(), QStringLiteral("Kestro"));
        QCOMPARE(QQuickStyle::name(), QStringLiteral("Material"));
        QCOMPARE(m_rig.window->color(), QColor(QStringLiteral("#303030")));
        QCOMPARE(currentPage()->objectName(), QStringLiteral("servicesTab"));
    }

    // Each tab is shown alone; a click on the shown tab changes nothing. The screenshots are
    // kept beside the test binary for a look by eye.
    void everyTabOpens_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("caption");
        const auto row = [](int index, const char *page, const char *caption) {
            QTest::newRow(page) << index << page << QString::fromUtf8(caption);
        };
        row(1, "chatTab", "Чат");
        row(2, "eventsTab", "События");
        row(3, "alertsTab", "Алерты");
        row(4, "viewTab", "Вид");
        row(0, "servicesTab", "Сервисы");
    }
    void everyTabOpens() {
        QFETCH(int, index);
        QFETCH(QString, page);
        QFETCH(QString, caption);
        QCOMPARE(tabButton(index)->property("text").toString(), caption);
        click(tabButton(index));
        QTRY_VERIFY(currentPage());
        QCOMPARE(currentPage()->objectName(), page);
        QQuickItem *shown = currentPage();
        click(tabButton(index));
        QCOMPARE(currentPage(), shown);
        QSignalSpy drawn(m_rig.window, &QQuickWindow::frameSwapped);
        m_rig.window->update();
        QVERIFY(drawn.wait(5000));
        QVERIFY(m_rig.window->grabWindow().save(QCoreApplication::applicationDirPath() +
                                                QStringLiteral("/tab-") + page + ".png"));
    }

    void restartRestoresTheControls() {
        QCOMPARE(item("twitchChannelInput")->property("text").toString(), QStringLiteral("Stored"));
        QCOMPARE(item("twitchPortInput")->property("text").toString(), QStringLiteral("6667"));
        QCOMPARE(item("fontChatList")->property("currentText").toString(), QStringLiteral("Lora"));
        QCOMPARE(item("voiceList")->property("currentText").toString(),
                 QStringLiteral("Джейн (ж)"));
        QCOMPARE(item("alertVolume")->property("value").toDouble(), 0.4);
        QCOMPARE(item("sizeChatList")->property("currentText").toString(), QStringLiteral("16 px"));
    }

    // The View tab shows the overlay's two addresses as the overlay gives them.
    void overlayAddressesAreShown() {
        const QString chat = m_rig.modules.overlay().chatUrl();
        QVERIFY2(chat.startsWith(QStringLiteral("http://127.0.0.1:")) &&
                     chat.endsWith(QStringLiteral("/overlay/chat")),
                 qPrintable(chat));
        QCOMPARE(item("overlayChatUrl")->property("text").toString(), chat);
        QCOMPARE(item("overlayAlertsUrl")->property("text").toString(),
                 m_rig.modules.overlay().alertsUrl());
    }

    void tokenIsNeverShown() {
        click(tabButton(0));
        QQuickItem *token = item("twitchTokenInput");
        token->forceActiveFocus();
        for (const char c : QByteArray("oauth:abc"))
            QTest::keyClick(m_rig.window, c);
        QCOMPARE(token->property("text").toString(), QStringLiteral("oauth:abc"));
        QVERIFY(!token->property("displayText").toString().contains(QStringLiteral("abc")));
        QCOMPARE(m_rig.modules.mainWindow().chatInput()->text(), QString());
    }

    void keyboardRings_data() { addTableRows("window-keyboard-rings.tsv", {"from", "key", "to"}); }
    void keyboardRings() {
        QFETCH(QString, from);
        QFETCH(QString, key);
        QFETCH(QString, to);
        item(from.toLatin1())->forceActiveFocus();
        QTest::keyClick(m_rig.window, Qt::Key(QKeySequence::fromString(key)[0]));
        QTRY_VERIFY(item(to.toLatin1())->hasActiveFocus());
    }

    // The switch of Twitch's gap is on at first and stored at once when turned off.
    void historySwitchIsStored() {
        click(tabButton(0));
        QQuickItem *history = item("twitchHistorySwitch");
        QVERIFY(history && history->property("checked").toBool());
        click(history);
        QTRY_VERIFY(m_rig.config.get().contains(QLatin1String(R"("history":false)")));
        click(history);
        QTRY_VERIFY(m_rig.config.get().contains(QLatin1String(R"("history":true)")));
    }

    void enterClicksTheStartButton() {
        item("goodgameLoginInput")->forceActiveFocus();
        QTest::keyClick(m_rig.window, Qt::Key_Return);
        QCOMPARE(item("output")->property("text").toString(),
                 QStringLiteral("Не заполнены поля формы GoodGame. Заполните и нажмите кнопку."));
        QCOMPARE(item("goodgameStartButton")->property("text").toString(), QStringLiteral("Зайти"));
    }

    void testButtonShowsItsAlert() {
        click(tabButton(3));
        QTRY_COMPARE(currentPage()->objectName(), QStringLiteral("alertsTab"));
        click(item("twitchFollowFullTestButton"));
        click(tabButton(2));
        const QString items = QStringLiteral("document.querySelectorAll('li').length");
        QTRY_COMPARE(askPage("alertView", items), QStringLiteral("1"));
        QTRY_COMPARE(askPage("chatView", items), QStringLiteral("1"));
        // Both pages link the services' looks the window gives them.
        const QString looks = QStringLiteral(
            "Array.from(document.querySelectorAll('link[data-look]')).map(function (l) {"
            " return l.sheet ? 'loaded' : l.dataset.look; }).join('|')");
        for (const char *view : {"alertView", "chatView"})
            QTRY_COMPARE(askPage(view, looks).section(QLatin1Char('|'), 0, 0),
                         QStringLiteral("loaded"));
    }

    // As a streamer would: log in, approve in the browser, start the chat; a follow at
    // EventSub plays its alert. The token reaches the settings and no log.
    void logInJoinsAndFollows() {
        CdpBrowser browser;
        QVERIFY2(browser.ready(), qPrintable(browser.error()));
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openInBrowser");
        click(tabButton(0));
        click(item("twitchLogIn"));
        QTRY_VERIFY(item("twitchLink") && item("twitchLink")->isVisible());
        QCOMPARE(item("twitchCode")->property("text").toString(), QStringLiteral("ABCDEFGH"));
        QVERIFY(m_rig.window->grabWindow().save(QCoreApplication::applicationDirPath() +
                                                QStringLiteral("/tab-servicesTab-code.png")));
        click(item("twitchLink"));
        QTRY_VERIFY(m_opened.isValid());
        QVERIFY(browser.open(m_opened.toString()));
        browser.eval(QStringLiteral("document.getElementById('authorize').click()"));
        QTRY_COMPARE(browser.eval(QStringLiteral("document.body.dataset.approved")).toString(),
                     QStringLiteral("yes"));
        QTRY_VERIFY_WITH_TIMEOUT(item("twitchLogOut")->isVisible(), 10000);
        QTRY_COMPARE(item("twitchNickInput")->property("text").toString(),
                     QStringLiteral("ynot01"));
        QVERIFY(m_rig.window->grabWindow().save(QCoreApplication::applicationDirPath() +
                                                QStringLiteral("/tab-servicesTab-logged-in.png")));

        type("twitchPortInput", QString::number(m_irc.port()));
        click(item("twitchStartButton"));
        QVERIFY(m_irc.accept());
        QVERIFY(m_irc.receivedTimes("JOIN #stored\r\n", 1));
        const QByteArray hello = m_irc.receivedAtLeast(0);
        QVERIFY(hello.contains("PASS oauth:" + TwitchIdServer::accessToken() + "\r\n"));
        QVERIFY(hello.contains("NICK ynot01\r\n"));
        m_irc.send("@room-id=445242086 :tmi.twitch.tv ROOMSTATE #stored\r\n");
        QVERIFY(m_eventSub.waitForClient());
        const QList<QByteArray> frames = serviceSample("twitch-eventsub-ws.jsonl").split('\n');
        m_eventSub.send(QString::fromUtf8(frames.at(4)));
        QTRY_VERIFY(m_twitchId.http.requests.contains("/helix/eventsub/subscriptions"));
        m_eventSub.send(QString::fromUtf8(frames.at(6)));
        click(tabButton(2));
        QTRY_VERIFY(askPage("alertView", "document.body.textContent").contains("555gerson555"));

        QVERIFY(m_rig.config.get().contains(QLatin1String(TwitchIdServer::accessToken())));
        QCOMPARE(m_rig.data.fileHolding({TwitchIdServer::accessToken()}), QString());
    }

    // Chat speech turned on as a user would: a chat line is read by the relay, after the alert
    // that was queued meanwhile.
    void chatIsReadAfterTheAlert() {
        m_speechRelay.onFrame = [this](const QString &request) {
            m_heard << qstr(parseJson(request.toUtf8()).value("text", ""));
            m_speechRelay.sendBinary("OggS not really audio");
        };
        click(tabButton(3));
        QTRY_COMPARE(currentPage()->objectName(), QStringLiteral("alertsTab"));
        scrollTo("alertsScroll", item("chatSpeechSwitch"));
        click(item("chatSpeechSwitch"));
        QTRY_VERIFY(
            m_rig.config.get().contains(QLatin1String(R"("speech":{"chat":{"enabled":true)")));
        scrollTo("alertsScroll", item("twitchBitsFullTestButton"));
        click(item("twitchBitsFullTestButton"));
        m_irc.send("@display-name=Ann;id=s1 :ann!ann@ann.tmi.twitch.tv PRIVMSG #stored :привет, "
                   "стрим\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(m_heard.size() == 2, 15000);
        QVERIFY2(m_heard.first().contains(QStringLiteral("битс")), qPrintable(m_heard.first()));
        QCOMPARE(m_heard.last(), QStringLiteral("Ann: привет, стрим"));
    }

    // With two null sinks: the follow slot's test plays on the output chosen for the alerts and
    // not on the other; a test taken out of the paused queue never plays and is in the event log.
    void alertsPlayOnTheirOutput() {
        if (!m_pulse.ready())
            QSKIP(qPrintable(QStringLiteral("no sound server: ") + m_pulse.error()));
        m_speechRelay.onFrame = [this](const QString &) {
            m_speechRelay.sendBinary("OggS not really audio");
        };
        const QString tone = m_rig.data.path() + QStringLiteral("/tone.wav");
        QVERIFY(writeTone(tone, 0.5));
        AlertsTab &tab = *m_rig.modules.mainWindow().alertsTab();
        // The file dialog stands in for the desktop's: it opens, and the file comes back.
        tab.openSoundFileDialog(QStringLiteral("follow"));
        auto *dialog = m_rig.window->findChild<QObject *>(QStringLiteral("soundFileDialog"));
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->property("visible").toBool());
        QMetaObject::invokeMethod(dialog, "close");
        tab.soundFileChosen(QUrl::fromLocalFile(tone).toString());
        click(tabButton(3));
        QTRY_COMPARE(currentPage()->objectName(), QStringLiteral("alertsTab"));
        QQuickItem *output = item("alertOutput");
        QTRY_VERIFY(output->property("count").toInt() >= 3);
        int sinkA = -1;
        QMetaObject::invokeMethod(output, "indexOfValue", Q_RETURN_ARG(int, sinkA),
                                  Q_ARG(QVariant, QStringLiteral("kestro_a")));
        QVERIFY(sinkA > 0);
        output->setProperty("currentIndex", sinkA);
        QMetaObject::invokeMethod(output, "activated", Q_ARG(int, sinkA));
        QCOMPARE(output->property("displayText").toString(), QStringLiteral("Sink A"));
        QTRY_VERIFY(m_rig.config.get().contains(QLatin1String(R"("output":"kestro_a")")));

        MonitorRecording onA(QStringLiteral("kestro_a"));
        MonitorRecording onB(QStringLiteral("kestro_b"));
        scrollTo("alertsScroll", item("twitchFollowFullTestButton"));
        click(item("twitchFollowFullTestButton"));
        QTRY_VERIFY_WITH_TIMEOUT(onA.heard(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_rig.modules.alerts().alertsProcessing(), 10000);
        QVERIFY(onB.listenOn(4000));
        QVERIFY(!onB.heard());

        scrollTo("alertsScroll", item("alertPause"));
        click(item("alertPause"));
        QCOMPARE(item("alertPause")->property("text").toString(), QStringLiteral("Продолжить"));
        click(item("twitchFollowFullTestButton"));
        QTRY_VERIFY(item("alertQueueTakeOut0"));
        QVERIFY(m_rig.window->grabWindow().save(QCoreApplication::applicationDirPath() +
                                                QStringLiteral("/tab-alertsTab-queue.png")));
        click(item("alertQueueTakeOut0"));
        QTRY_VERIFY(m_rig.modules.alerts().QUEUE().isEmpty());
        onA.forget();
        click(item("alertPause"));
        QVERIFY(onA.listenOn(8000));
        QVERIFY(!onA.heard());
        QVERIFY(m_rig.data.fileHolding({"Убрано из очереди алертов: "}).endsWith(".event.log"));
    }

    // GoodGame drops the link while its chat goes on: once the chat is back, the page shows
    // every line once, in order, and how many it had missed.
    void goodgameGapIsFilled() {
        click(tabButton(0));
        type("goodgameLoginInput", QStringLiteral("bot"));
        type("goodgamePasswordInput", QStringLiteral("secret"));
        type("goodgameChannelInput", QStringLiteral("5"));
        QTest::keyClick(m_rig.window, Qt::Key_Return); // the box may be scrolled out of sight
        QTRY_VERIFY_WITH_TIMEOUT(m_goodgame.joined, 10000);
        m_goodgame.say(QStringLiteral("gap-1"));
        m_goodgame.say(QStringLiteral("gap-2"));
        click(tabButton(1));
        const QString text = QStringLiteral("document.getElementById('chatList').textContent");
        QTRY_VERIFY(askPage("chatView", text).contains(QLatin1String("gap-2")));
        m_goodgame.drop();
        m_goodgame.say(QStringLiteral("gap-3"));
        m_goodgame.say(QStringLiteral("gap-4"));
        QTRY_VERIFY_WITH_TIMEOUT(m_goodgame.chat.connections == 2 && m_goodgame.joined, 10000);
        m_goodgame.say(QStringLiteral("gap-5"));
        QTRY_VERIFY(askPage("chatView", text).contains(QLatin1String("gap-5")));
        const QString shown = askPage("chatView", text);
        int at = -1;
        for (const char *line : {"gap-1", "gap-2", "gap-3", "gap-4", "gap-5"}) {
            QCOMPARE(shown.count(QLatin1String(line)), 1);
            QVERIFY2(shown.indexOf(QLatin1String(line)) > at, line);
            at = shown.indexOf(QLatin1String(line));
        }
        QVERIFY(shown.contains(QStringLiteral("пропущенные сообщения показаны (2)")));
        QVERIFY(m_rig.window->grabWindow().save(QCoreApplication::applicationDirPath() +
                                                QStringLiteral("/tab-chatTab-goodgame-gap.png")));
    }

    // As a streamer would: log in through the browser, start, and each donation plays once;
    // the ones given while the link was down come after it is back, once each, in order.
    // As a streamer would: the channel typed as a link, the login through the browser, the
    // chat started; VK's lines reach the merged view and the log, the chat line writes to VK
    // and to all chats, and a drop while lines keep coming shows every line once, in order.
    void vkVideoFromLoginToAGap() {
        CdpBrowser browser;
        QVERIFY2(browser.ready(), qPrintable(browser.error()));
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openInBrowser");
        m_opened.clear();
        click(tabButton(0));
        scrollTo("servicesScroll", item("vkvideoChannelInput"));
        type("vkvideoChannelInput", QStringLiteral("live.vkvideo.ru/Streamer.One"));
        click(item("vkvideoLogIn"));
        QTRY_VERIFY(m_opened.isValid());
        QVERIFY(browser.open(m_opened.toString(QUrl::FullyEncoded)));
        browser.eval(QStringLiteral("document.getElementById('authorize').click()"));
        QTRY_VERIFY_WITH_TIMEOUT(item("vkvideoLogOut")->isVisible(), 10000);
        click(item("vkvideoStartButton"));
        QTRY_VERIFY_WITH_TIMEOUT(m_vkVideo.steps.count("socket subscribe") == 3, 10000);
        QVERIFY(m_rig.window->grabWindow().save(QCoreApplication::applicationDirPath() +
                                                QStringLiteral("/tab-servicesTab-vkvideo.png")));
        const auto say = [this](qint64 id, const char *text) {
            Json push = parseJson(VkVideoServer::frame(2).toUtf8());
            Json &message = push["push"]["pub"]["data"]["data"]["chat_message"];
            message["id"] = id;
            message["created_at"] = 1765280000 + id;
            message["parts"] = Json::array({Json{{"text", {{"content", text}}}}});
            return message;
        };
        const auto push = [this, &say](qint64 id, const char *text) {
            Json frame = parseJson(VkVideoServer::frame(2).toUtf8());
            frame["push"]["pub"]["data"]["data"]["chat_message"] = say(id, text);
            m_vkVideo.socket.send(qstr(frame.dump()));
        };
        push(1, "vk-1");
        click(tabButton(1));
        const QString text = QStringLiteral("document.body.textContent");
        QTRY_VERIFY(askPage("chatView", text).contains(QLatin1String("vk-1")));
        QVERIFY(m_rig.data.fileHolding({"[VK Video Live] Viewer_1: vk-1"}).endsWith(".chat.log"));

        QQuickItem *target = item("sendTarget");
        for (const QString &chosen : {QStringLiteral("vkvideo"), MainWindow::kAllChats}) {
            int at = -1;
            QMetaObject::invokeMethod(target, "indexOfValue", Q_RETURN_ARG(int, at),
                                      Q_ARG(QVariant, chosen));
            target->setProperty("currentIndex", at);
            QMetaObject::invokeMethod(target, "activated", Q_ARG(int, at));
            type("chatInput", QStringLiteral("hi ") + chosen);
            click(item("sendMessage"));
            QTRY_COMPARE(m_vkVideo.steps.count("http /v1/chat/message/send"),
                         chosen == MainWindow::kAllChats ? 2 : 1);
        }

        const Json history{say(4, "vk-4"), say(1, "vk-1"), say(3, "vk-3"), say(2, "vk-2")};
        m_vkVideo.api.route(
            "/v1/chat/messages", 200,
            QByteArray::fromStdString(Json{{"data", {{"chat_messages", history}}}}.dump()));
        push(2, "vk-2");
        m_vkVideo.socket.closeClient(QWebSocketProtocol::CloseCode(3001));
        QTRY_VERIFY_WITH_TIMEOUT(m_vkVideo.steps.contains("http /v1/chat/messages"), 15000);
        push(5, "vk-5");
        QTRY_VERIFY(askPage("chatView", text).contains(QLatin1String("vk-5")));
        const QString shown = askPage("chatView", text);
        int at = -1;
        for (const char *line : {"vk-1", "vk-2", "vk-3", "vk-4", "vk-5"}) {
            QCOMPARE(shown.count(QLatin1String(line)), 1);
            QVERIFY2(shown.indexOf(QLatin1String(line)) > at, line);
            at = shown.indexOf(QLatin1String(line));
        }
        QVERIFY(
            shown.contains(QStringLiteral("VK Video Live: пропущенные сообщения показаны (2)")));
        QVERIFY(m_rig.window->grabWindow().save(QCoreApplication::applicationDirPath() +
                                                QStringLiteral("/tab-chatTab-vkvideo.png")));
        QCOMPARE(m_rig.data.fileHolding({VkVideoServer::accessToken(), "ws-token-1"}), QString());
    }

    void donationsPlayOnceEachAcrossADrop() {
        CdpBrowser browser;
        QVERIFY2(browser.ready(), qPrintable(browser.error()));
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openInBrowser");
        m_opened.clear();
        click(tabButton(0));
        scrollTo("servicesScroll", item("donationalertsLogIn"));
        click(item("donationalertsLogIn"));
        QTRY_VERIFY(m_opened.isValid());
        QVERIFY(browser.open(m_opened.toString(QUrl::FullyEncoded)));
        browser.eval(QStringLiteral("document.getElementById('authorize').click()"));
        QTRY_VERIFY_WITH_TIMEOUT(item("donationalertsLogOut")->isVisible(), 10000);
        QVERIFY(
            m_rig.window->grabWindow().save(QCoreApplication::applicationDirPath() +
                                            QStringLiteral("/tab-servicesTab-donationalerts.png")));
        click(item("donationalertsStartButton"));
        QTRY_VERIFY_WITH_TIMEOUT(m_donationAlerts.steps.contains("http /api/v1/alerts/donations"),
                                 10000);
        m_donationAlerts.publish(DonationAlertsServer::donation(1, {{"username", "Donor-1"}}));
        m_donationAlerts.publish(DonationAlertsServer::donation(1, {{"username", "Donor-1"}}));
        click(tabButton(2));
        const QString text = QStringLiteral("document.body.textContent");
        QTRY_VERIFY(askPage("alertView", text).contains(QLatin1String("Donor-1")));

        m_donationAlerts.setDonations(
            {DonationAlertsServer::donation(3, {{"username", "Donor-3"}}),
             DonationAlertsServer::donation(2, {{"username", "Donor-2"}}),
             DonationAlertsServer::donation(1, {{"username", "Donor-1"}})});
        m_donationAlerts.socket.closeClient();
        QTRY_VERIFY_WITH_TIMEOUT(m_donationAlerts.socket.connections == 2 &&
                                     askPage("alertView", text).contains(QLatin1String("Donor-3")),
                                 15000);
        m_donationAlerts.publish(DonationAlertsServer::donation(4, {{"username", "Donor-4"}}));
        QTRY_VERIFY(askPage("alertView", text).contains(QLatin1String("Donor-4")));
        const QString shown = askPage("alertView", text);
        int at = -1;
        for (const char *donor : {"Donor-1", "Donor-2", "Donor-3", "Donor-4"}) {
            QCOMPARE(shown.count(QLatin1String(donor)), 1);
            QVERIFY2(shown.indexOf(QLatin1String(donor)) > at, donor);
            at = shown.indexOf(QLatin1String(donor));
        }
        click(tabButton(1));
        QTRY_VERIFY(
            askPage("chatView", text).contains(QStringLiteral("пропущенные донаты показаны (2)")));
        QVERIFY(m_rig.window->grabWindow().save(QCoreApplication::applicationDirPath() +
                                                QStringLiteral("/tab-chatTab-donationalerts.png")));
        QCOMPARE(m_rig.data.fileHolding({DonationAlertsServer::accessToken(), "socket.c2lnbmF0dXJl",
                                         "channel.c2lnbmF0dXJl"}),
                 QString());
    }
};

KESTRO_WINDOW_TEST_MAIN(TestWindow)
#include "tst_window.moc"
