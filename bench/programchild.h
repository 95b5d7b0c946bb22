#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <functional>

class QQuickWindow;

// The whole program as a child process of a benchmark, as on a first start (a fresh per-user
// directory, which `prepare` may fill first), stopped when this goes.
class ProgramChild {
public:
    ProgramChild(const char *mode, const std::function<void(const QString &dataDir)> &prepare = {});
    ~ProgramChild();
    qint64 pid() const { return m_process.processId(); }
    // Reads the child's reports until one holds `word`: the ms since the start, or -1.
    qint64 waitFor(const QByteArray &word, int timeoutMs = 60000);
    // The first report line that starts with `prefix`, without it; empty when none came yet.
    QByteArray report(const QByteArray &prefix) const;

private:
    QTemporaryDir m_dataHome;
    QProcess m_process;
    QElapsedTimer m_clock;
    QByteArray m_output;
};

// The number after `name` on the command line, at least 1.
int numberAfter(int argc, char *argv[], const char *name, int fallback);
// Tells the parent, once both pages of the window have loaded: "ready", then `then`.
void whenPagesReady(QQuickWindow *window, const std::function<void()> &then = {});
