#pragma once

#include "composition.h"
#include "fakes/quickitems.h"
#include "fakes/tempdatadir.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"
#include "shell/speechfile.h"

#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTest>

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
