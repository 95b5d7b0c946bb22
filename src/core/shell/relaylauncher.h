#pragma once

#include <QProcess>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <optional>

// A child that ends with its parent, even one killed outright, so no relay outlives Kestro.
class ChildProcess : public QProcess {
protected:
    void setupChildProcess() override;
};

// Keeps a speech relay answering on this machine: uses one that already answers (another
// Kestro's, one run by hand or as a service) as it is, or else starts the relay program as a
// child, restarts it with backoff when it dies, and ends it with Kestro.
class RelayLauncher : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstBackoffMs = 1000;
    static constexpr int kMaxBackoffMs = 60000;
    // How often a started relay is asked whether it listens yet.
    static constexpr int kListenPollMs = 100;

    struct Options {
        QString program;
        QStringList arguments;
        QString host;
        quint16 port = 0;
        int firstBackoffMs = kFirstBackoffMs;
    };

    explicit RelayLauncher(Options options, QObject *parent = nullptr);
    ~RelayLauncher() override;

    // The relay beside this program for the two relay addresses; none when the speech address
    // is not on this machine, where nothing can be started for it.
    static std::optional<Options> besideProgram(const QUrl &speech, const QUrl &followers,
                                                const QString &programDir);

    void start();
    // Ends the relay this launcher started; one found running is left alone.
    void stop();
    // The child this launcher started is running.
    bool ownsRelay() const { return m_process.state() != QProcess::NotRunning; }

signals:
    // A relay answers at the address: ours once it listens, or one found there.
    void ready();
    // The status line's text; said once until the relay answers again.
    void status(const QString &text);
    // The same, for the error log.
    void failure(const QString &text);

private:
    void probe();
    void answered();
    void unanswered();
    void launch();
    void exited();
    void report(const QString &status, const QString &error);

    Options m_options;
    ChildProcess m_process;
    QTcpSocket m_probe;
    QTimer m_next;
    bool m_wanted = false;
    bool m_reported = false;
    int m_failures = 0;
};
