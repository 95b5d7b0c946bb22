#include "chat/chat.h"
#include "fakes/chatrig.h"
#include "fakes/lineparts.h"
#include "fakes/overlayrig.h"
#include "fakes/recordingpage.h"
#include "fakes/tables.h"
#include "fakes/webpagehost.h"
#include "settings/chatstyle.h"
#include "window/mainwindow.h"

#include <QApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <QtWebEngine/qtwebengineglobal.h>

namespace {
// Each shown line of a page as the DOM has it: every element's tag, classes, image address
// and tooltip, then its text.
const char kLineShapes[] = R"(
Array.from(document.querySelectorAll('#chatList li'))
    .filter(function (li) { return li.style.textDecoration !== 'line-through'; })
    .map(function (li) {
        return Array.from(li.querySelectorAll('*')).map(function (e) {
            return [e.tagName, Array.from(e.classList).sort().join('.'),
                    e.getAttribute('src') || '', e.getAttribute('style') || '', e.title].join(' ');
        }).join(', ') + ' = ' + li.textContent;
    }).join(' | '))";

// How a page drew the services' looks: a GoodGame icon in its font, each image of a look
// folder loaded, zero-width emotes standing on their base.
const char kLooksDrawn[] = R"(
[getComputedStyle(document.querySelector('.with-icon'), '::before').fontFamily,
 Array.from(document.querySelectorAll('img[src^="looks/"]')).every(function (i) {
     return i.complete && i.naturalWidth > 0; }),
 getComputedStyle(document.querySelector('.emote-stack img.zero-width')).position,
 document.querySelectorAll('link[href*="channels_icons.css"]').length].join('|'))";

const QUrl kChat(QStringLiteral("qrc:/web/chat.html"));
const QUrl kAlerts(QStringLiteral("qrc:/web/alerts.html"));

QString call(const QString &method, const QString &data = {}) {
    return Page::call(method, data);
}

// A line of this markup as the presenter hands it to a page.
QString addCall(const QString &html, bool alertFrame = false) {
    RenderedLine line;
    line.html = html;
    return Chat::addMessageCall(line, alertFrame);
}
} // namespace

// The page script in the real web engine: every check reads the DOM back.
class TestPages : public QObject {
    Q_OBJECT
private:
    ChatRig m_shell;

    // A line, in the list at once even when the chat counts as busy.
    static void add(WebPageHost &page, const QString &html) {
        page.run(addCall(html, false));
        page.run(QStringLiteral("Kestro.flush()"));
    }

    static int count(WebPageHost &page, const QString &selector) {
        return page.eval(QStringLiteral("document.querySelectorAll('%1').length").arg(selector))
            .toInt();
    }

private slots:
    void pagesLoadTheirScriptUnderTheirPolicy_data() {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("list");
        QTest::newRow("chat") << kChat << "chatList";
        QTest::newRow("events") << kAlerts << "alertList";
    }

    void pagesLoadTheirScriptUnderTheirPolicy() {
        QFETCH(QUrl, url);
        QFETCH(QString, list);
        WebPageHost page(url, MainWindow::looksScript(goodgameLook()));
        QCOMPARE(page.eval("typeof Kestro").toString(), QStringLiteral("object"));
        QCOMPARE(page.eval("Kestro.$list.id").toString(), list);
        QCOMPARE(page.eval("document.documentElement.lang").toString(), QStringLiteral("ru"));
        QVERIFY(
            page.eval("/channels_icons\\.css\\?\\d+$/.test(document.head.lastElementChild.href)")
                .toBool());
    }

    // The same lines in the window's chat page and the overlay's chat page come out the same:
    // badges and emotes of every kind, GoodGame's smiles and premium icon, a donation, an
    // addressed line; a struck line is struck in the window and gone from the stream, a
    // removed one gone from both.
    void windowAndOverlayDrawLinesAlike() {
        OverlayRig rig;
        rig.load(QStringLiteral("{\"view\":{\"addressed\":{\"words\":[\"streamer\"]}}}"));
        WebPageHost window(kChat, MainWindow::looksScript(goodgameLook()));
        WebPageHost stream(QUrl(rig.overlay.chatUrl()));
        QTRY_COMPARE(rig.overlay.server().clientCount(), 1);

        MessageParts twitch = rig.twitchLine("1", "Vasya", "look ");
        twitch.insert(
            1, MessagePart::badge(QStringLiteral("https://static-cdn.jtvnw.net/badges/v1/m/1"),
                                  QStringLiteral("Moderator")));
        MessagePart hat =
            MessagePart::emote(QStringLiteral("https://cdn.7tv.app/emote/hat/1x.webp"),
                               QStringLiteral("Hat"), QStringLiteral("7TV: Hat"));
        hat.overlay = MessagePart::Overlay::ZeroWidth;
        twitch << MessagePart::emote(QStringLiteral("https://cdn.betterttv.net/emote/x/1x"),
                                     QStringLiteral("catJAM"), QStringLiteral("BTTV: catJAM"))
               << hat;
        MessageParts goodgame = rig.goodgameLine("7", "Masha", "hi streamer ");
        goodgame[1].author->icon = QStringLiteral("crown");
        goodgame[1].author->premiumChannel = QStringLiteral("5");
        goodgame[2].words = true;
        goodgame << MessagePart::asWords(
            {MessagePart::emote(QStringLiteral("https://static.goodgame.ru/files/smiles/still.png"),
                                QStringLiteral(":still:"), QStringLiteral("GoodGame: still"),
                                QStringLiteral("goodgame"))});
        AlertMessage donation;
        donation.items = {lineparts::badge(QStringLiteral("DonationAlerts")),
                          MessagePart::textPart(QStringLiteral("Ann задонатил 100 RUB"),
                                                MessagePart::Tone::Rank, QStringLiteral("king"))};
        rig.chat.showInChat(twitch);
        rig.chat.showInChat(goodgame);
        rig.chat.showInAlerts(donation);
        rig.chat.showInChat(rig.twitchLine("2", "Troll", "struck"));
        rig.chat.showInChat(rig.twitchLine("3", "Spammer", "removed"));
        rig.chat.moderate({Moderation::Act::StrikeMessage, "twitch", "2"});
        rig.chat.moderate({Moderation::Act::RemoveUser, "twitch", "spammer"});
        for (const QString &script : rig.chatView.scripts)
            window.run(script);
        window.run(QStringLiteral("Kestro.flush()"));

        QTRY_COMPARE(stream.eval(kLineShapes).toString().count(QLatin1String(" | ")), 2);
        const QString shapes = window.eval(kLineShapes).toString();
        QCOMPARE(stream.eval(kLineShapes).toString(), shapes);
        QVERIFY2(shapes.contains(QLatin1String("DIV addressed")) &&
                     shapes.contains(QLatin1String("DIV alert")) &&
                     shapes.contains(QLatin1String("SPAN emote-stack")) &&
                     shapes.contains(QLatin1String("SPAN premium-icon-5")),
                 qPrintable(shapes));
        QCOMPARE(count(window, "#chatList li[style*=line-through]"), 1);
        QTRY_COMPARE(window.eval(kLooksDrawn).toString(),
                     QStringLiteral("icomoon|true|absolute|1"));
        QTRY_COMPARE(stream.eval(kLooksDrawn).toString(),
                     QStringLiteral("icomoon|true|absolute|1"));
    }

    void addMessageDecodes_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("html");
        QTest::newRow("apostrophe and number sign")
            << addCall("<span>it's #1</span>", false) << "<span>it's #1</span>";
        QTest::newRow("alert frame survives")
            << addCall("<span>a</span>", true) << "<div class=\"alert\"><span>a</span></div>";
        QTest::newRow("script tag removed")
            << addCall("<b>x</b><script src=\"y\">alert(1)</script>", false) << "<b>x</b>alert(1)";
        QTest::newRow("before the page object exists the call is a no-op")
            << QStringLiteral("('undefined' !== typeof Nothing) && Nothing.addMessage('x');")
            << QString();
    }

    void addMessageDecodes() {
        QFETCH(QString, script);
        QFETCH(QString, html);
        WebPageHost page(kChat);
        page.run(script);
        page.run(QStringLiteral("'undefined' !== typeof Kestro && Kestro.flush()"));
        QCOMPARE(
            page.eval("var li = document.querySelector('#chatList li'); li ? li.innerHTML : ''")
                .toString(),
            html);
    }

    void autoscrollFollowsAndDoubleClickToggles() {
        WebPageHost page(kChat);
        for (int i = 0; i < 60; ++i)
            add(page, QStringLiteral("<span>line %1</span>").arg(i));
        QTRY_VERIFY_WITH_TIMEOUT(page.eval("window.scrollY > 0 && window.scrollY + "
                                           "window.innerHeight >= document.body.scrollHeight - 2")
                                     .toBool(),
                                 5000);

        const QString dblclick =
            "Kestro.$list.dispatchEvent(new MouseEvent('dblclick', {bubbles: true}))";
        page.eval(dblclick);
        QCOMPARE(page.eval("Kestro.autoscroll").toBool(), false);
        QVERIFY(!page.eval("document.querySelector('.no-autoscroll').classList.contains('hidden')")
                     .toBool());
        const int stopped = page.eval("window.scrollY").toInt();
        for (int i = 0; i < 20; ++i)
            add(page, QStringLiteral("<span>more %1</span>").arg(i));
        QVERIFY(page.eval("Kestro.pendingScroll === null").toBool());
        QCOMPARE(page.eval("window.scrollY").toInt(), stopped);

        page.eval(dblclick);
        QVERIFY(page.eval("document.querySelector('.no-autoscroll').classList.contains('hidden')")
                    .toBool());
        QTRY_VERIFY_WITH_TIMEOUT(page.eval("window.scrollY").toInt() > stopped, 2000);
    }

    // The oldest lines leave 250 at a time, once the newest 1,000 are followed by 250 more; the
    // line being read back stays where it was, and the kept ones still answer to moderation.
    void pageKeepsTheNewestLines() {
        WebPageHost page(kChat);
        const auto lines = [&page](int from, int to) {
            for (int i = from; i < to; ++i)
                add(page, QStringLiteral("<span class=\"m%1 nick-n%2\">line %1</span>")
                              .arg(i)
                              .arg(i % 2));
        };
        const auto first = [&page] {
            return page.eval("document.querySelector('#chatList li').textContent").toString();
        };
        const auto readBackTop = [&page] {
            return page.eval("document.querySelector('.m1100').getBoundingClientRect().top")
                .toInt();
        };
        lines(0, 1249);
        QCOMPARE(count(page, "#chatList li"), 1249);
        QCOMPARE(first(), QStringLiteral("line 0"));
        page.eval("Kestro.autoscroll = false; document.querySelector('.m1100').scrollIntoView()");
        const int top = readBackTop();
        lines(1249, 1255);
        QCOMPARE(count(page, "#chatList li"), 1005);
        QCOMPARE(readBackTop(), top);
        QCOMPARE(first(), QStringLiteral("line 250"));
        QCOMPARE(page.eval("Kestro.$list.lastElementChild.textContent").toString(),
                 QStringLiteral("line 1254"));
        page.run(call("strikeMessages", "'nick-n1'"));
        page.run(call("removeMessage", "'m251'"));
        QCOMPARE(count(page, "#chatList li[style*=line-through]"), 501);
        QCOMPARE(count(page, "#chatList li"), 1004);
        QCOMPARE(count(page, ".m251"), 0);
    }

    // A calm chat's lines go in one by one with their animation and a gliding scroll; a busy
    // one's (above four a second) go in together every 200 ms, in order, with a jump to the
    // newest and no animation, until the chat calms down. The page's timers and clock run by
    // hand.
    void busyChatGoesInBatches() {
        WebPageHost page(kChat);
        page.eval("window.due = []; window.setTimeout = function (f) { due.push(f); return due.length; };"
                  "window.clearTimeout = function () {};"
                  "window.now = 1000; Date.now = function () { return window.now; };"
                  "window.scrolls = []; window.scrollTo = function (o) { scrolls.push(o.behavior); };"
                  "window.step = function () { var f = due; due = []; f.forEach(function (g) { g(); });"
                  "  return f.length; }");
        page.run(call("setAnimation", "'animScaleX'"));
        const auto lines = [&page](int from, int to) {
            for (int i = from; i < to; ++i)
                page.run(addCall(QStringLiteral("<span class=\"w%1\">%1</span>").arg(i), false));
        };
        const QString animation = QStringLiteral(
            "getComputedStyle(document.querySelector('#chatList li:last-child')).animationName");

        lines(0, 1);
        QCOMPARE(count(page, "#chatList li"), 1);
        QCOMPARE(page.eval(animation).toString(), QStringLiteral("animScaleX"));
        QCOMPARE(page.eval("step()").toInt(), 1);
        QCOMPARE(page.eval("scrolls.join(',')").toString(), QStringLiteral("smooth"));

        page.eval("window.now = 3000");
        lines(1, 51); // four calm ones, then a batch of the rest
        QCOMPARE(count(page, "#chatList li"), 5);
        page.eval("step()");
        QCOMPARE(count(page, "#chatList li"), 51);
        QCOMPARE(page.eval(animation).toString(), QStringLiteral("none"));
        QCOMPARE(page.eval("scrolls.join(',')").toString(), QStringLiteral("smooth,smooth,auto"));

        lines(51, 53); // a waiting line is struck all the same
        page.run(call("strikeMessage", "'w52'"));
        QCOMPARE(count(page, "#chatList li"), 53);
        QCOMPARE(count(page, "#chatList li[style*=line-through]"), 1);

        page.eval("window.now = 5000");
        lines(53, 54);
        QCOMPARE(page.eval(animation).toString(), QStringLiteral("animScaleX"));
        QStringList order;
        for (int i = 0; i < 54; ++i)
            order << QString::number(i);
        QCOMPARE(page.eval("Array.from(document.querySelectorAll('#chatList li')).map("
                           "function (li) { return li.textContent; }).join(',')")
                     .toString(),
                 order.join(QLatin1Char(',')));
    }

    // Moderation, the body's styles, the entry animation, 7TV's zero-width emotes stacked
    // over the emote before them, images boxed before they load (a late one moves nothing).
    void pageAnswers_data() { addTableRows("page-answers.tsv", {"steps", "question", "answer"}); }
    void pageAnswers() {
        QFETCH(QString, steps);
        QFETCH(QString, question);
        QFETCH(QString, answer);
        WebPageHost page(kChat);
        for (const QString &step : cellItems(steps)) {
            const QString name = step.section(QLatin1Char(' '), 0, 0);
            const QString rest = step.section(QLatin1Char(' '), 1);
            name == QLatin1String("add") ? add(page, rest) : page.run(call(name, rest));
        }
        QCOMPARE(page.eval(question).toString(), answer);
    }

    void customCssElementIsCreatedOnceAndReplaced() {
        WebPageHost page(kChat);
        m_shell.load(
            "{\"view\":{\"addressed\":{\"color\":{\"bg\":\"#010203\",\"fg\":\"#040506\"}}}}");
        page.run(Page::call("setCustomCSS", "'" + buildCustomCSS(m_shell.utils) + "'"));
        add(page, "<div class=\"addressed\"><span>hi</span></div>");
        QCOMPARE(
            page.eval(
                    "getComputedStyle(document.querySelector('li div.addressed')).backgroundColor")
                .toString(),
            QStringLiteral("rgb(1, 2, 3)"));
        page.run(call("setCustomCSS", "'li%20%7B%20color%3A%20red%3B%20%7D'"));
        QCOMPARE(count(page, "style#custom"), 1);
        QCOMPARE(page.eval("document.head.lastElementChild.id + '|' + "
                           "document.getElementById('custom').textContent")
                     .toString(),
                 QStringLiteral("custom|li { color: red; }"));
    }

    // Bubbles only when switched on: one per line with emotes, rising, then fading away.
    void bubbles() {
        WebPageHost page(kChat);
        const QString emotes = "<img class=\"emote\" src=\"looks/twitch/badge.png\">"
                               "<img class=\"emote\" src=\"looks/goodgame/badge.png\">";
        add(page, emotes);
        page.eval("Kestro.addBubbles()");
        QCOMPARE(count(page, "img.bubble"), 0);
        page.run(call("toggleBubbles", "1"));
        // Stop the page's own timer so the test decides every tick.
        page.eval("clearInterval(Kestro.bubbleTimer)");
        add(page, emotes);
        page.eval("Kestro.addBubbles(); Kestro.addBubbles();");
        QCOMPARE(count(page, "body > img.emote.bubble"), 1);
        const QString bottom =
            "parseInt(getComputedStyle(document.querySelector('img.bubble')).bottom, 10)";
        const int before = page.eval(bottom).toInt();
        page.eval("for (var i = 0; i < 10; ++i) Kestro.moveBubbles();");
        QVERIFY(page.eval(bottom).toInt() > before);
        page.eval("for (var i = 0; i < 200; ++i) Kestro.moveBubbles();");
        QCOMPARE(count(page, "img.bubble"), 0);
        // Switched off with none left, the page stops ticking.
        page.run(call("toggleBubbles", "0"));
        QVERIFY(page.eval("Kestro.tickBubbles(); Kestro.bubbleTimer === null").toBool());
    }

    // Hostile text through the real builder: nothing runs, nothing is created, nothing is
    // fetched. Mark-up slipped in behind the builder meets the page's policy.
    void hostileInputIsOnlyShown() {
        WebPageHost page(kChat);
        page.eval("window.pwned = 0;");
        const MessagePart nick =
            lineparts::nick("<img src=x onerror=\"window.pwned=1\">", "#f00", "twitch", "1");
        const MessagePart emote =
            MessagePart::emote("https://evil.example/a.png\" onerror=\"window.pwned=2", {},
                               "\"><img src=\"http://evil.example/b.png\">");
        RecordingPage events;
        Chat chat(page, events, m_shell.logger, m_shell.alerts, m_shell.utils);
        chat.showInChat(
            {lineparts::badge("Twitch"), nick,
             MessagePart::textPart(
                 ": <script>window.pwned=3</script><img src=\"http://evil.example/c.png\">"),
             emote});
        add(page,
            "<img src=\"x\" onerror=\"window.pwned=4\"><img src=\"http://evil.example/d.png\">");
        // Every image has failed or loaded, so any handler of theirs would have run by now.
        QTRY_VERIFY(page.eval("Array.prototype.every.call(document.images, "
                              "function (i) { return i.complete; })")
                        .toBool());

        QCOMPARE(page.eval("window.pwned").toInt(), 0);
        QCOMPARE(page.eval("document.querySelector('#chatList li').querySelectorAll('img').length")
                     .toInt(),
                 2);
        QVERIFY(page.eval("document.querySelector('#chatList "
                          "li').textContent.indexOf('<script>window.pwned=3</script>') >= 0")
                    .toBool());
        for (const QUrl &url : page.recorder.requested)
            QVERIFY2(!url.toString().contains("evil.example/b") &&
                         !url.toString().contains("evil.example/c") &&
                         !url.toString().contains("evil.example/d"),
                     qPrintable(url.toString()));
    }

    // An emote host that cannot be reached is tried once, not again for every line that
    // shows its emote; the later lines draw it failed at once, as the first one did.
    void aFailedImageIsNotAskedAgain() {
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::LocalHost));
        int asked = 0;
        connect(&host, &QTcpServer::newConnection, [&] {
            while (QTcpSocket *client = host.nextPendingConnection()) {
                ++asked;
                client->readAll();
                client->disconnectFromHost(); // no TLS: the load fails
            }
        });
        WebPageHost page(kChat);
        const QString emote = QStringLiteral("<img class=\"emote\" src=\"https://127.0.0.1:%1/"
                                             "e.png\" alt=\"Kappa\">")
                                  .arg(host.serverPort());
        const QString failed = QStringLiteral(
            "Array.from(document.querySelectorAll('#chatList img')).filter(function (i) {"
            " return i.complete && i.naturalWidth === 0; }).length");
        add(page, emote);
        QTRY_COMPARE_WITH_TIMEOUT(page.eval(failed).toInt(), 1, 15000);
        const int once = asked;
        QVERIFY(once >= 1);
        for (int i = 0; i < 5; ++i)
            add(page, emote);
        QTRY_COMPARE(page.eval(failed).toInt(), 6);
        QCOMPARE(asked, once);
        // Drawn alike: every one the size of the first.
        QCOMPARE(page.eval("new Set(Array.from(document.querySelectorAll('#chatList img')).map("
                           "function (i) { var r = i.getBoundingClientRect();"
                           " return r.width + 'x' + r.height; })).size")
                     .toInt(),
                 1);
    }

    // A viewer's typed entities read back as typed; Kestro's own quotes render as quotes.
    void typedEntitiesAreShownAsTyped() {
        WebPageHost page(kChat);
        RecordingPage events;
        Chat chat(page, events, m_shell.logger, m_shell.alerts, m_shell.utils);
        chat.showInChat({MessagePart::textPart("&lt;b&gt; &amp;")});
        MessagePart own = MessagePart::textPart("- канал &laquo;Мой&raquo;");
        own.markup = true;
        chat.showInChat({own});
        QTRY_COMPARE(count(page, "#chatList li"), 2);
        QCOMPARE(page.eval("document.querySelectorAll('#chatList li')[0].textContent").toString(),
                 QStringLiteral("&lt;b&gt; &amp;"));
        QCOMPARE(page.eval("document.querySelectorAll('#chatList li')[1].textContent").toString(),
                 QStringLiteral("- канал «Мой»"));
    }

    // Today's Twitch marks as the page draws them: a reply's context above its line, an
    // announcement's coloured frame, a first message's mark and hover text.
    void todaysMarksAreDrawn() {
        WebPageHost page(kChat);
        RecordingPage events;
        Chat chat(page, events, m_shell.logger, m_shell.alerts, m_shell.utils);
        MessagePart context;
        context.kind = MessagePart::Kind::ReplyContext;
        context.name = "Parent";
        context.text = "hi";
        MessagePart nick = lineparts::nick("Newbie", "#f0f", "twitch", "1", "newbie");
        nick.frames = MessagePart::FirstMessage;
        chat.showInChat({context, lineparts::badge("Twitch"), nick});
        chat.showInChat({lineparts::framed("Объявление: ", MessagePart::Announcement, "green")});
        QTRY_COMPARE(count(page, "#chatList li"), 2);
        const auto style = [&page](const char *selector, const char *property) {
            return page
                .eval(QStringLiteral("getComputedStyle(document.querySelector('%1')).%2")
                          .arg(QLatin1String(selector), QLatin1String(property)))
                .toString();
        };
        QCOMPARE(style("li span.reply-context", "display"), QStringLiteral("block"));
        QCOMPARE(style("li div.first-message", "borderBottomStyle"), QStringLiteral("solid"));
        QCOMPARE(page.eval("document.querySelector('li div.first-message').title").toString(),
                 QStringLiteral("Первое сообщение в чате"));
        QCOMPARE(style("li div.announcement-green", "borderLeftColor"),
                 QStringLiteral("rgb(0, 200, 111)"));
    }
};

int main(int argc, char *argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestPages test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_pages.moc"
