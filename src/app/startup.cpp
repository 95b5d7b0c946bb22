#include "startup.h"

#include "buildconfig.h"
#include "composition.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"
#include "shell/speechfile.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QUrl>
#include <QtWebEngine/qtwebengineglobal.h>
#include <cstdio>

void prepareProcess() {
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QtWebEngine::initialize();
}

// Only the domain: on Linux an organisation name would move the per-user data directory. The
// file dialog keeps its last folder under it.
void nameApplication() {
    QCoreApplication::setOrganizationDomain(QStringLiteral("kestro.app"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRO_VERSION));
    // The desktop ties the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("app.kestro.Kestro"));
}

namespace {
// Answered before any display is needed, so it works on a terminal without one.
bool printedVersion(int argc, char **argv) {
    if (argc < 2 || qstrcmp(argv[1], "--version") != 0)
        return false;
    std::printf("kestro %s\n", KESTRO_VERSION);
    return true;
}
} // namespace

int runKestro(int &argc, char **argv, const QUrl &mainUrl,
              const std::function<void(QQmlApplicationEngine &)> &loaded) {
    if (printedVersion(argc, argv))
        return 0;
    prepareProcess();
    QGuiApplication app(argc, argv);
    nameApplication();

    BotLogger logger;
    BotConfig config;
    SpeechFile speech;

    Composition modules(logger, config, speech,
                        Endpoints::fromFile(Endpoints::overridePath(defaultDataDir())),
                        defaultDataDir());
    modules.registerForQml();
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app,
                     [&modules] { modules.savePendingSettings(); });

    QQmlApplicationEngine engine;
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreated, &app,
        [mainUrl](QObject *object, const QUrl &url) {
            if (!object && url == mainUrl)
                QCoreApplication::exit(-1);
        },
        Qt::QueuedConnection);
    engine.load(mainUrl);
    if (!engine.rootObjects().isEmpty())
        modules.attachViews(*engine.rootObjects().first());
    modules.startRelay();
    if (loaded)
        loaded(engine);
    return app.exec();
}
