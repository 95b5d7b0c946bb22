// The real window on whichever scene graph the environment leaves it, drawn in each tab and
// in each state that changes a colour; the images go to the folder named on the command line
// for tst_looks to compare across scene graphs.
#include "fakes/freeport.h"
#include "fakes/ircserver.h"
#include "fakes/twitchidserver.h"
#include "startup.h"
#include "windowrig.h"

#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtTest>

namespace {
class Probe {
public:
    Probe(const QString &folder, quint16 ircPort)
        : m_folder(folder)
        , m_irc(ircPort) {}

    bool run() {
        // The overlay on a port of its own: the two runs and other tests go side by side.
        m_rig.config.set(QStringLiteral(R"({"services":{"twitch":{"host":"127.0.0.1","port":"%1",)"
                                        R"("login":"bot","password":"oauth:x","channel":"chan"}},)"
                                        R"("overlay":{"port":"%2"}})")
                             .arg(m_irc.port())
                             .arg(freePortPair()));
        if (!m_rig.load())
            return false;
        note(QStringLiteral("backend"), backend());
        for (int tab = 0; tab < 5; ++tab) {
            item("tabs")->setProperty("currentIndex", tab);
            shot(QStringLiteral("tab-%1").arg(tab));
        }
        return services() && testPlaying();
    }

private:
    QQuickItem *item(const char *name) const { return m_rig.item(name); }
    QString backend() const {
        return m_rig.window->rendererInterface()->graphicsApi() == QSGRendererInterface::Software
                   ? QStringLiteral("software")
                   : QStringLiteral("opengl");
    }
    void note(const QString &name, const QString &text) const {
        QFile file(m_folder + QLatin1Char('/') + name + QStringLiteral(".txt"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text.toUtf8());
    }
    // The tab bar's underline has reached the tab shown.
    bool underlineSettled() const {
        const QObject *list = item("tabs")->property("contentItem").value<QObject *>();
        const auto *underline = list->property("highlightItem").value<QQuickItem *>();
        const auto *shown = list->property("currentItem").value<QQuickItem *>();
        return underline && shown && qFuzzyCompare(underline->x() + 1, shown->x() + 1) &&
               qFuzzyCompare(underline->width() + 1, shown->width() + 1);
    }
    // The window once it has settled (the underline moved, nothing else changing): the same
    // picture in two frames running.
    void shot(const QString &name) {
        if (!QTest::qWaitFor([this] { return underlineSettled(); }, 5000))
            qWarning("%s: the tab bar's underline did not settle", qPrintable(name));
        QImage last;
        for (int frame = 0; frame < 120; ++frame) {
            QSignalSpy drawn(m_rig.window, &QQuickWindow::frameSwapped);
            m_rig.window->update();
            drawn.wait(5000);
            const QImage now = m_rig.window->grabWindow();
            if (now == last)
                break;
            last = now;
        }
        last.save(m_folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
    static void press(QQuickItem *button) { QMetaObject::invokeMethod(button, "clicked"); }
    bool waitFor(const char *name, const char *property, const QVariant &value) {
        return QTest::qWaitFor(
            [&] { return item(name) && item(name)->property(property) == value; }, 10000);
    }

    // Stopped, running, a login's code shown, logged in.
    bool services() {
        item("tabs")->setProperty("currentIndex", 0);
        QQuickItem *start = item("twitchStartButton");
        const QRectF box = start->mapRectToScene(QRectF(0, 0, start->width(), start->height()));
        note(QStringLiteral("start-button"), QStringLiteral("%1 %2 %3 %4")
                                                 .arg(box.x())
                                                 .arg(box.y())
                                                 .arg(box.width())
                                                 .arg(box.height()));
        shot(QStringLiteral("services-stopped"));
        press(start);
        if (!m_irc.accept() || !waitFor("twitchStartButton", "text", QStringLiteral("Выйти")))
            return false;
        m_irc.send(":tmi.twitch.tv 001 bot :Welcome\r\n");
        shot(QStringLiteral("services-running"));
        press(start);
        if (!waitFor("twitchStartButton", "text", QStringLiteral("Зайти")))
            return false;

        press(item("twitchLogIn"));
        if (!waitFor("twitchLink", "visible", true))
            return false;
        shot(QStringLiteral("services-code"));
        QNetworkAccessManager browser;
        QNetworkReply *approved = browser.post(
            QNetworkRequest(QUrl(m_twitchId.http.url().toString() + "/activate/approve")),
            QByteArray());
        QObject::connect(approved, &QNetworkReply::finished, approved, &QObject::deleteLater);
        // Logged in first, named once the token is validated: the picture waits for the name.
        if (!waitFor("twitchLogOut", "visible", true) ||
            !waitFor("output", "text", QStringLiteral("Twitch: вошли как ynot01")))
            return false;
        shot(QStringLiteral("services-logged-in"));
        return true;
    }

    // A test alert playing, on the Alerts tab and among the events.
    bool testPlaying() {
        item("tabs")->setProperty("currentIndex", 3);
        press(item("twitchFollowFullTestButton"));
        shot(QStringLiteral("alerts-test"));
        item("tabs")->setProperty("currentIndex", 2);
        const bool shown = QTest::qWaitFor([this] {
            return askPage(item("alertView"),
                           QStringLiteral("document.querySelectorAll('li').length"),
                           ++m_questions) == QLatin1String("1");
        });
        shot(QStringLiteral("events-test"));
        return shown;
    }

    Endpoints endpoints() {
        Endpoints endpoints = quietEndpoints(QUrl(QStringLiteral("http://127.0.0.1:9")));
        endpoints.set(endpoint::twitchIdApi, m_twitchId.http.url());
        endpoints.set(endpoint::twitchApi, m_twitchId.http.url());
        return endpoints;
    }

    QString m_folder;
    IrcServer m_irc;
    TwitchIdServer m_twitchId;
    WindowRig m_rig{endpoints()};
    int m_questions = 0;
};
} // namespace

int main(int argc, char *argv[]) {
    prepareProcess();
    QGuiApplication app(argc, argv);
    nameApplication();
    chooseSceneGraph();
    // Text drawn by the same rasteriser on both scene graphs, so that what differs is the
    // controls' drawing and not the glyphs' anti-aliasing.
    QQuickWindow::setTextRenderType(QQuickWindow::NativeTextRendering);
    // The pictures of two runs show the same port when they are given one.
    if (argc < 3)
        return 2;
    QDir().mkpath(QString::fromLocal8Bit(argv[1]));
    Probe probe(QString::fromLocal8Bit(argv[1]), QByteArray(argv[2]).toUShort());
    return probe.run() ? 0 : 1;
}
