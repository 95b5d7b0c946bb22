#pragma once

#include "composition.h"
#include "fakes/quickitems.h"
#include "fakes/tempdatadir.h"
#include "services/donationalerts/donationalerts.h"
#include "services/goodgame/goodgame.h"
#include "services/twitch/twitchkeys.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"
#include "shell/speechfile.h"
#include "startup.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTest>

// Every outside HTTP address at `http`, the chat host on loopback, the sockets where nothing
// listens, and the Twitch application's id set.
inline Endpoints quietEndpoints(const QUrl &http) {
    Endpoints endpoints;
    endpoints.set(endpoint::twitchChatHost, QStringLiteral("127.0.0.1"));
    for (const EndpointKey &key :
         {endpoint::twitchApi, endpoint::twitchIdApi, endpoint::twitchStaticCdn, endpoint::bttvApi,
          endpoint::sevenTvApi, endpoint::bttvCdn, endpoint::ffzApi, endpoint::goodgameSite,
          endpoint::goodgameStatic, endpoint::donationalertsSite, endpoint::twitchHistory})
        endpoints.set(key, http);
    endpoints.set(endpoint::twitchClientId, QStringLiteral("cid"));
    for (const EndpointKey &key :
         {endpoint::goodgameChat, endpoint::relayFollowers, endpoint::relaySpeech,
          endpoint::twitchEventSub, endpoint::donationalertsSocket})
        endpoints.set(key, QStringLiteral("ws://127.0.0.1:9/"));
    return endpoints;
}

// The real main window on the real modules, in a per-user data directory of its own.
struct WindowRig {
    explicit WindowRig(const Endpoints &endpoints)
        : modules{logger, config, speech, endpoints, data.path()} {}

    // Loads the window as Kestro does and waits until it is shown and its two pages are ready.
    bool load() {
        modules.registerForQml();
        engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
        if (engine.rootObjects().size() != 1)
            return false;
        window = qobject_cast<QQuickWindow *>(engine.rootObjects().first());
        if (!window)
            return false;
        modules.attachViews(*window);
        if (!QTest::qWaitForWindowExposed(window))
            return false;
        for (const char *view : {"chatView", "alertView"}) {
            if (!QTest::qWaitFor([&] { return item(view)->property("loadProgress") == 100; },
                                 20000))
                return false;
        }
        return true;
    }

    // By object name, in the visual tree too: a repeater's rows have no object parent.
    QQuickItem *item(const char *name) const {
        if (auto *found = window->findChild<QQuickItem *>(QLatin1String(name)))
            return found;
        return findItem(window->contentItem(), QLatin1String(name));
    }

    TempDataDir data;
    BotLogger logger{data.path()};
    BotConfig config{data.path()};
    SpeechFile speech{data.path()};
    Composition modules;
    QQmlApplicationEngine engine;
    QQuickWindow *window = nullptr;
};

// A test's main for the real window: the process prepared as Kestro prepares its own.
#define KESTRO_WINDOW_TEST_MAIN(TestClass)                                                         \
    int main(int argc, char *argv[]) {                                                             \
        prepareProcess();                                                                          \
        QGuiApplication app(argc, argv);                                                           \
        nameApplication();                                                                         \
        chooseSceneGraph();                                                                        \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
