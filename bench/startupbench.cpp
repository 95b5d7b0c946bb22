#include "startupbench.h"

#include "processstats.h"
#include "startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
int numberAfter(int argc, char *argv[], const char *name, int fallback) {
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

struct StartupTimes {
    qint64 shown = -1; // ms from process start to the window's first frame
    qint64 ready = -1; // ms to both pages loaded
};

// The whole program as a child process, started as a first start (a fresh per-user
// directory), stopped when this goes.
class Child {
public:
    Child() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dataHome.path());
        m_process.setProcessEnvironment(env);
        m_clock.start();
        m_process.start(QCoreApplication::applicationFilePath(),
                        {QString::fromLatin1(kStartupChild)});
    }
    ~Child() {
        m_process.kill();
        m_process.waitForFinished();
    }
    qint64 pid() const { return m_process.processId(); }

    // Reads the child's reports until both pages are loaded.
    StartupTimes waitUntilReady() {
        StartupTimes times;
        QByteArray output;
        while (times.ready < 0 && m_process.waitForReadyRead(60000)) {
            output += m_process.readAll();
            if (times.shown < 0 && output.contains("shown"))
                times.shown = m_clock.elapsed();
            if (output.contains("ready"))
                times.ready = m_clock.elapsed();
        }
        return times;
    }

private:
    QTemporaryDir m_dataHome;
    QProcess m_process;
    QElapsedTimer m_clock;
};

qint64 median(std::vector<qint64> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Tells the parent when both pages have loaded.
void reportPagesReady(QQuickWindow *window) {
    auto *poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, window, [window, poll] {
        for (const char *name : {"chatView", "alertView"}) {
            QObject *view = window->findChild<QObject *>(QLatin1String(name));
            if (!view || view->property("loadProgress").toInt() < 100)
                return;
        }
        poll->stop();
        std::puts("ready");
        std::fflush(stdout);
    });
    poll->start(5);
}
} // namespace

int runStartupBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    std::vector<qint64> shown;
    std::vector<qint64> ready;
    for (int run = 0; run < numberAfter(argc, argv, "--runs", 5); ++run) {
        const StartupTimes times = Child().waitUntilReady();
        if (times.shown < 0 || times.ready < 0) {
            std::fputs("startup: the window or its pages never showed\n", stderr);
            return 1;
        }
        shown.push_back(times.shown);
        ready.push_back(times.ready);
    }
    std::printf("startup.window_shown_ms %lld ms\n", static_cast<long long>(median(shown)));
    std::printf("startup.pages_ready_ms %lld ms\n", static_cast<long long>(median(ready)));
    return 0;
}

int runIdleBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int seconds = numberAfter(argc, argv, "--seconds", 30);
    Child child;
    if (child.waitUntilReady().ready < 0) {
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
                         reportPagesReady(window);
                     });
}
