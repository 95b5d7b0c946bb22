#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

// A PulseAudio server of the test's own, on a private runtime directory, with two null sinks
// ("Sink A" the first, "Sink B" the default). Every client of this process finds it through
// PULSE_SERVER, so it must start before any of them.
class PulseServer {
public:
    PulseServer() {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()) {
            fail(QStringLiteral("no pulseaudio on this machine"));
            return;
        }
        const QString socket = m_dir.path() + QStringLiteral("/native");
        QFile script(m_dir.path() + QStringLiteral("/test.pa"));
        if (!script.open(QIODevice::WriteOnly)) {
            fail(QStringLiteral("cannot write the server's script"));
            return;
        }
        script.write(
            QStringLiteral("load-module module-native-protocol-unix socket=%1 auth-anonymous=1\n")
                .arg(socket)
                .toUtf8());
        script.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        env.insert(QStringLiteral("HOME"), m_dir.path());
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(QStringLiteral("pulseaudio"),
                       {QStringLiteral("-n"), QStringLiteral("-F"), script.fileName(),
                        QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                        QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-target=stderr"),
                        QStringLiteral("--log-level=info")});
        QByteArray log;
        const bool started = QTest::qWaitFor(
            [&] {
                log += m_server.readAll();
                return log.contains("Daemon startup complete") ||
                       m_server.state() == QProcess::NotRunning;
            },
            15000);
        if (!started || !log.contains("Daemon startup complete")) {
            fail(QStringLiteral("pulseaudio did not start: ") + QString::fromUtf8(log));
            return;
        }
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
        m_ready = loadSink(QStringLiteral("kestro_a"), QStringLiteral("Sink A")) &&
                  loadSink(QStringLiteral("kestro_b"), QStringLiteral("Sink B")) &&
                  pactl({QStringLiteral("set-default-sink"), QStringLiteral("kestro_b")});
        if (!m_ready)
            fail(QStringLiteral("the null sinks did not load"));
    }

    ~PulseServer() {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

    bool ready() const { return m_ready; }
    QString error() const { return m_error; }

    bool pactl(const QStringList &arguments, QByteArray *output = nullptr) {
        QProcess run;
        run.start(QStringLiteral("pactl"), arguments);
        if (!run.waitForFinished(10000) || run.exitCode() != 0)
            return false;
        if (output)
            *output = run.readAllStandardOutput();
        return true;
    }
    bool loadSink(const QString &name, const QString &description) {
        QByteArray index;
        if (!pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                    QStringLiteral("sink_name=") + name,
                    QStringLiteral("sink_properties='device.description=\"%1\"'").arg(description)},
                   &index))
            return false;
        m_modules.insert(name, index.trimmed());
        return true;
    }
    bool unloadSink(const QString &name) {
        return pactl({QStringLiteral("unload-module"), QString::fromLatin1(m_modules.take(name))});
    }

private:
    void fail(const QString &why) { m_error = why; }

    QTemporaryDir m_dir;
    QProcess m_server;
    QHash<QString, QByteArray> m_modules;
    bool m_ready = false;
    QString m_error;
};

// What a sink's monitor hears: the loudest sample so far, and how much was heard.
class MonitorRecording {
public:
    explicit MonitorRecording(const QString &sink) {
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, [this] { take(); });
        m_parec.start(QStringLiteral("parec"),
                      {QStringLiteral("-d"), sink + QStringLiteral(".monitor"),
                       QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                       QStringLiteral("--rate=8000"), QStringLiteral("--channels=1"),
                       QStringLiteral("--latency-msec=20")});
    }
    ~MonitorRecording() {
        m_parec.kill();
        m_parec.waitForFinished(5000);
    }

    static constexpr int kAudible = 1000; // of 32767: the tone is far louder, silence is 0
    bool heard() const { return m_peak >= kAudible; }
    qint64 samples() const { return m_samples; }
    // Listens a while longer: the recording's own delay lets what just played arrive.
    bool listenOn(qint64 more) {
        const qint64 until = m_samples + more;
        return QTest::qWaitFor([&] { return m_samples >= until; }, 10000);
    }
    void forget() { m_peak = 0; }

private:
    void take() {
        const QByteArray bytes = m_parec.readAllStandardOutput();
        for (int at = 0; at + 1 < bytes.size(); at += 2) {
            const qint16 sample = qint16(quint8(bytes[at]) | (quint8(bytes[at + 1]) << 8));
            m_peak = std::max(m_peak, std::abs(int(sample)));
            ++m_samples;
        }
    }

    QProcess m_parec;
    int m_peak = 0;
    qint64 m_samples = 0;
};

// A mono 16-bit WAV tone of the given length, loud enough to be heard on any monitor.
inline bool writeTone(const QString &path, double seconds) {
    const int rate = 8000;
    const int count = int(rate * seconds);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + count * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(count * 2);
    for (int i = 0; i < count; ++i)
        out << qint16(12000 * std::sin(2 * M_PI * 440 * i / rate));
    return out.status() == QDataStream::Ok;
}
