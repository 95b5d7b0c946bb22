#include "fakes/cdpbrowser.h"
#include "fakes/overlayrig.h"
#include "model/chatsink.h"
#include "overlay/overlay.h"

#include <QTcpServer>
#include <QtTest>

namespace {
const char *const kLines = "Array.from(document.querySelectorAll('#chatList li'))"
                           ".map(function (li) { return li.textContent.trim(); }).join('|')";
} // namespace

class TestOverlayPages : public QObject {
    Q_OBJECT
    CdpBrowser *m_browser = nullptr;

    QString lines() { return m_browser->eval(QLatin1String(kLines)).toString(); }

private slots:
    void initTestCase() {
        m_browser = new CdpBrowser;
        QVERIFY2(m_browser->ready(), qPrintable(m_browser->error()));
    }
    void cleanupTestCase() { delete m_browser; }

    // Both chats in the order they came, with the program's badges served by the overlay.
    void bothChatsInOrder() {
        OverlayRig rig;
        QVERIFY(m_browser->open(rig.overlay.chatUrl()));
        rig.chat.showInChat(rig.twitchLine("1", "Vasya", "привет"));
        rig.chat.showInChat(rig.goodgameLine("2", "Masha", "здравствуйте"));
        QTRY_COMPARE(lines(), QStringLiteral("Vasya: привет|Masha: здравствуйте"));
        QCOMPARE(m_browser
                     ->eval("Array.from(document.querySelectorAll('img.badge')).every("
                            "function (i) { return i.complete && i.naturalWidth > 0; })")
                     .toBool(),
                 true);
        QCOMPARE(
            m_browser->eval("document.querySelector('img.badge').getAttribute('src')").toString(),
            QStringLiteral("looks/twitch/badge.png"));
        QCOMPARE(m_browser->eval("document.querySelector('img.emote').title").toString(),
                 QStringLiteral("Twitch: Kappa"));
        QCOMPARE(m_browser->eval("getComputedStyle(document.body).backgroundColor").toString(),
                 QStringLiteral("rgba(0, 0, 0, 0)"));
    }

    // Kestro's own notes stay off the stream unless the View tab's switch asks for them.
    void notesOnlyWhenAskedFor() {
        OverlayRig rig;
        QVERIFY(m_browser->open(rig.overlay.chatUrl()));
        rig.chat.serviceLine(QStringLiteral("- Twitch: связь потеряна, переподключаемся"));
        rig.chat.showInChat(rig.twitchLine("1", "Vasya", "привет"));
        QTRY_COMPARE(lines(), QStringLiteral("Vasya: привет"));
        rig.utils.form().overlayNotes = true;
        rig.chat.serviceLine(QStringLiteral("- Twitch: мы не спим на канале #chan"));
        QTRY_COMPARE(lines(), QStringLiteral("Vasya: привет|- Twitch: мы не спим на канале #chan"));
    }

    // With a 3 s delay a line removed after 1 s never reaches the page's DOM.
    void delayedRemovalNeverShows() {
        OverlayRig rig;
        rig.utils.form().overlayDelay = 3;
        emit rig.utils.form().changed();
        QVERIFY(m_browser->open(rig.overlay.chatUrl()));
        m_browser->eval("window.seen = []; new MutationObserver(function (records) {"
                        "  records.forEach(function (r) { r.addedNodes.forEach(function (n) {"
                        "    window.seen.push(n.textContent); }); });"
                        "}).observe(document.getElementById('chatList'), {childList: true}); 1");
        rig.chat.showInChat(rig.twitchLine("1", "Troll", "bad words"));
        rig.chat.showInChat(rig.twitchLine("2", "Vasya", "fine"));
        rig.clock.advance(1000);
        rig.chat.moderate({Moderation::Act::StrikeMessage, "twitch", "1"});
        rig.clock.advance(2000);
        QTRY_COMPARE(lines(), QStringLiteral("Vasya: fine"));
        // Everything the page was ever given, in order: the removed line is not among it.
        QCOMPARE(m_browser->eval("window.seen.map(function (t) { return t.trim(); }).join('|')")
                     .toString(),
                 QStringLiteral("Vasya: fine"));
    }

    // A viewer's markup stays text: no element, no handler, no script runs.
    void hostileTextIsInert() {
        OverlayRig rig;
        QVERIFY(m_browser->open(rig.overlay.chatUrl()));
        rig.chat.showInChat(rig.twitchLine(
            "1", "<b>Evil</b>",
            "<img src=x onerror=\"window.pwned=1\"><script>window.pwned=2</script>"));
        QTRY_VERIFY(!lines().isEmpty());
        QCOMPARE(m_browser->eval("typeof window.pwned").toString(), QStringLiteral("undefined"));
        QCOMPARE(m_browser
                     ->eval("document.querySelectorAll('#chatList b, #chatList script, "
                            "#chatList img:not(.badge):not(.emote)').length")
                     .toInt(),
                 0);
        QVERIFY(lines().contains(QStringLiteral("<img src=x onerror=\"window.pwned=1\">")));
    }

    // Kestro restarts: the page keeps what it shows, comes back by itself and goes on.
    void pageComesBackAfterARestart() {
        OverlayRig rig;
        QVERIFY(m_browser->open(rig.overlay.chatUrl()));
        rig.chat.showInChat(rig.twitchLine("1", "Vasya", "before"));
        QTRY_COMPARE(lines(), QStringLiteral("Vasya: before"));
        rig.overlay.server().close();
        QTRY_COMPARE(rig.overlay.server().clientCount(), 0);
        QCOMPARE(lines(), QStringLiteral("Vasya: before"));
        rig.overlay.start();
        QTRY_COMPARE_WITH_TIMEOUT(rig.overlay.server().clientCount(), 1, 15000);
        rig.chat.showInChat(rig.twitchLine("2", "Vasya", "after"));
        QTRY_COMPARE(lines(), QStringLiteral("Vasya: before|Vasya: after"));
    }

    // The alerts page shows the alert while the player plays it, and nothing after.
    void alertShowsWhilePlaying() {
        OverlayRig rig;
        const QString sound = rig.dir.path() + QStringLiteral("/follow.ogg");
        QFile file(sound);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("sound");
        file.close();
        rig.utils.form().sounds.insert("follow", QUrl::fromLocalFile(sound).toString());
        rig.utils.saveConfig();
        QVERIFY(m_browser->open(rig.overlay.alertsUrl()));
        AlertMessage alert;
        alert.items = {lineparts::badge(QStringLiteral("Twitch")),
                       MessagePart::textPart(QStringLiteral("У нас новый фолловер - Ann!"))};
        alert.service = QStringLiteral("Twitch");
        alert.type = QStringLiteral("follow");
        rig.chat.showInAlerts(alert);
        const QString shown =
            QStringLiteral("document.getElementById('alertsList').textContent.trim()");
        QCOMPARE(m_browser->eval(shown).toString(), QString());
        rig.alerts.processQueue();
        QCOMPARE(rig.player.played.size(), 1);
        QTRY_COMPARE(m_browser->eval(shown).toString(),
                     QStringLiteral("У нас новый фолловер - Ann!"));
        rig.player.finish();
        QTRY_COMPARE(m_browser->eval(shown).toString(), QString());
    }
};

QTEST_MAIN(TestOverlayPages)
#include "tst_overlaypages.moc"
