#include "startup.h"

#include "buildconfig.h"
#include "composition.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"
#include "shell/speechfile.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
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
// The renderer's name, empty when no OpenGL context can be made current.
QByteArray openGlRenderer() {
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!context.create() || !context.makeCurrent(&surface))
        return {};
    const auto *name = context.functions()->glGetString(GL_RENDERER);
    QByteArray renderer = name ? QByteArray(reinterpret_cast<const char *>(name)) : QByteArray();
    context.doneCurrent();
    return renderer;
}

bool rasterisedOnCpu(const QByteArray &renderer) {
    const QByteArray name = renderer.toLower();
    return name.isEmpty() || name.contains("llvmpipe") || name.contains("softpipe") ||
           name.contains("software") || name.contains("swrast");
}
} // namespace

// OpenGL on a CPU rasteriser draws every frame of a busy chat at several times the cost of
// the software renderer. A backend chosen by the user's environment is left alone.
void chooseSceneGraph() {
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") ||
        qEnvironmentVariableIsSet("QMLSCENE_DEVICE"))
        return;
    if (rasterisedOnCpu(openGlRenderer()))
        QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
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
    chooseSceneGraph();

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
