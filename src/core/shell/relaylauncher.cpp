#include "relaylauncher.h"

#include <QFileInfo>
#include <QHostAddress>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

void ChildProcess::setupChildProcess() {
#ifdef Q_OS_LINUX
    prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
}

RelayLauncher::RelayLauncher(Options options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options)) {
    // The relay's log goes where Kestro's goes; unread, it would pile up in memory.
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.setProgram(m_options.program);
    m_process.setArguments(m_options.arguments);
    m_next.setSingleShot(true);
    connect(&m_next, &QTimer::timeout, this, &RelayLauncher::probe);
    connect(&m_probe, &QTcpSocket::connected, this, &RelayLauncher::answered);
    connect(&m_probe, &QTcpSocket::errorOccurred, this, &RelayLauncher::unanswered);
    connect(&m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &RelayLauncher::exited);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            exited();
    });
}

RelayLauncher::~RelayLauncher() {
    stop();
}

std::optional<RelayLauncher::Options>
RelayLauncher::besideProgram(const QUrl &speech, const QUrl &followers, const QString &programDir) {
    const QString host = speech.host();
    const bool local = host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
    if (!local || speech.port() <= 0)
        return std::nullopt;
    Options options;
    options.program = programDir + QStringLiteral("/kestro-relay");
    options.host = host;
    options.port = quint16(speech.port());
    options.arguments =
        QStringList{QStringLiteral("--speech-port"), QString::number(speech.port())};
    if (followers.port() > 0)
        options.arguments << QStringLiteral("--followers-port")
                          << QString::number(followers.port());
    if (host != QLatin1String("localhost"))
        options.arguments << QStringLiteral("--listen") << host;
    return options;
}

void RelayLauncher::start() {
    m_wanted = true;
    probe();
}

void RelayLauncher::stop() {
    m_wanted = false;
    m_next.stop();
    m_probe.abort();
    if (ownsRelay())
        m_process.terminate();
}

void RelayLauncher::probe() {
    m_probe.abort();
    m_probe.connectToHost(m_options.host, m_options.port);
}

void RelayLauncher::answered() {
    m_probe.abort();
    m_failures = 0;
    m_reported = false;
    emit ready();
}

// Nothing listens: our relay is still starting, or none is running and ours is started.
void RelayLauncher::unanswered() {
    if (!m_wanted)
        return;
    if (ownsRelay())
        m_next.start(kListenPollMs);
    else
        launch();
}

void RelayLauncher::launch() {
    if (!QFileInfo(m_options.program).isExecutable()) {
        report(QStringLiteral("Речь: kestro-relay не найден, алерты без озвучки"),
               QStringLiteral("ОШИБКА: kestro-relay не найден: ") + m_options.program);
        return;
    }
    m_process.start();
    m_next.start(kListenPollMs);
}

// A relay that died (or could not listen) is looked for again after a growing pause: another
// one may have taken the port meanwhile, and is then used instead.
void RelayLauncher::exited() {
    if (!m_wanted)
        return;
    m_probe.abort();
    report(QStringLiteral("Речь: kestro-relay остановился, перезапускаем"),
           QStringLiteral("ОШИБКА: kestro-relay остановился (код %1), перезапускаем")
               .arg(m_process.exitCode()));
    const int delay = qMin(kMaxBackoffMs, m_options.firstBackoffMs << qMin(m_failures, 16));
    ++m_failures;
    m_next.start(delay);
}

void RelayLauncher::report(const QString &status, const QString &error) {
    if (m_reported)
        return;
    m_reported = true;
    emit this->status(status);
    emit failure(error);
}
