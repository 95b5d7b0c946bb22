#include "startupbench.h"

#include "processstats.h"
#include "programchild.h"
#include "startup.h"

#include <QCoreApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
qint64 median(std::vector<qint64> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}
} // namespace

int runStartupBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    std::vector<qint64> shown;
    std::vector<qint64> ready;
    for (int run = 0; run < numberAfter(argc, argv, "--runs", 5); ++run) {
        ProgramChild child(kStartupChild);
        const qint64 windowShown = child.waitFor("shown");
        const qint64 pagesReady = child.waitFor("ready");
        if (windowShown < 0 || pagesReady < 0) {
            std::fputs("startup: the window or its pages never showed\n", stderr);
            return 1;
        }
        shown.push_back(windowShown);
        ready.push_back(pagesReady);
    }
    std::printf("startup.window_shown_ms %lld ms\n", static_cast<long long>(median(shown)));
    std::printf("startup.pages_ready_ms %lld ms\n", static_cast<long long>(median(ready)));
    return 0;
}

int runIdleBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int seconds = numberAfter(argc, argv, "--seconds", 30);
    ProgramChild child(kStartupChild);
    if (child.waitFor("ready") < 0) {
        std::fputs("idle: the pages never loaded\n", stderr);
        return 1;
    }
    // Settle first: the first seconds still load fonts and style sheets.
    QThread::sleep(2);
    const double before = cpuSeconds(processFamily(child.pid()));
    QThread::sleep(seconds);
    const double used = cpuSeconds(processFamily(child.pid())) - before;
    std::printf("idle.cpu_share_of_core %.2f %%\n", 100.0 * used / seconds);
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
                         whenPagesReady(window);
                     });
}
