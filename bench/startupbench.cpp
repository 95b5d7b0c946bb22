#include "startupbench.h"

#include "startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
int runsFrom(int argc, char *argv[]) {
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    }
    return 5;
}

// Milliseconds from process start to the child's first frame, or -1.
qint64 measureOnce(const QString &program, const QString &dataHome) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    child.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    child.start(program, {QString::fromLatin1(kStartupChild)});
    qint64 shown = -1;
    while (shown < 0 && child.waitForReadyRead(60000)) {
        if (child.readAll().contains("shown"))
            shown = timer.elapsed();
    }
    child.kill();
    child.waitForFinished();
    return shown;
}
} // namespace

int runStartupBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dataHome;
    std::vector<qint64> samples;
    for (int run = 0; run < runsFrom(argc, argv); ++run) {
        const qint64 ms = measureOnce(QCoreApplication::applicationFilePath(), dataHome.path());
        if (ms < 0) {
            std::fputs("startup: the window never showed\n", stderr);
            return 1;
        }
        samples.push_back(ms);
    }
    std::sort(samples.begin(), samples.end());
    std::printf("startup.window_shown_ms %lld ms\n",
                static_cast<long long>(samples[samples.size() / 2]));
    return 0;
}

int runStartupChild(int argc, char *argv[]) {
    return runKestro(argc, argv, QUrl(QStringLiteral("qrc:/main.qml")),
                     [](QQmlApplicationEngine &engine) {
                         auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().value(0));
                         if (!window)
                             return;
                         QObject::connect(window, &QQuickWindow::frameSwapped, window, [] {
                             std::puts("shown");
                             std::fflush(stdout);
                         });
                     });
}
