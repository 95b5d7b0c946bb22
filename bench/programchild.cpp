#include "programchild.h"

#include <QCoreApplication>
#include <QDir>
#include <QQuickWindow>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>

ProgramChild::ProgramChild(const char *mode,
                           const std::function<void(const QString &dataDir)> &prepare) {
    // The child is this same program, so its per-user directory is named as this one's.
    const QString dataDir = m_dataHome.path() + QLatin1Char('/') + QCoreApplication::applicationName();
    QDir().mkpath(dataDir + QStringLiteral("/config"));
    if (prepare)
        prepare(dataDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dataHome.path());
    m_process.setProcessEnvironment(env);
    m_clock.start();
    m_process.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode)});
}

ProgramChild::~ProgramChild() {
    m_process.kill();
    m_process.waitForFinished();
}

qint64 ProgramChild::waitFor(const QByteArray &word, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (!m_output.contains(word)) {
        const int left = timeoutMs - int(waited.elapsed());
        if (left <= 0 || !m_process.waitForReadyRead(left))
            return -1;
        m_output += m_process.readAll();
    }
    return m_clock.elapsed();
}

QByteArray ProgramChild::report(const QByteArray &prefix) const {
    for (const QByteArray &line : m_output.split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    }
    return {};
}

int numberAfter(int argc, char *argv[], const char *name, int fallback) {
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

void whenPagesReady(QQuickWindow *window, const std::function<void()> &then) {
    auto *poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, window, [window, poll, then] {
        for (const char *name : {"chatView", "alertView"}) {
            QObject *view = window->findChild<QObject *>(QLatin1String(name));
            if (!view || view->property("loadProgress").toInt() < 100)
                return;
        }
        poll->stop();
        std::puts("ready");
        std::fflush(stdout);
        if (then)
            then();
    });
    poll->start(5);
}
