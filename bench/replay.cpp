#include "replay.h"

#include "alerts/chatspeech.h"

#include <QFile>
#include <cstring>

const char *option(int argc, char *argv[], const char *name) {
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return argv[i + 1];
    }
    return nullptr;
}

bool flag(int argc, char *argv[], const char *name) {
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return true;
    }
    return false;
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Split as bytes: a NUL cuts only its own line short, as on the live socket.
QStringList readLines(const QString &path) {
    QList<QByteArray> pieces = readFile(path).split('\n');
    if (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast();
    QStringList lines;
    lines.reserve(pieces.size());
    for (const QByteArray &piece : pieces) {
        const int nul = piece.indexOf('\0');
        lines << QString::fromUtf8(piece.constData(), nul < 0 ? piece.size() : nul);
    }
    return lines;
}

double percentile(std::vector<double> samples, double fraction) {
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, size_t(fraction * samples.size()))];
}

void drain(ChatRig &rig) {
    if (rig.chatView.scripts.size() > 100)
        rig.chatView.scripts.clear();
    if (rig.alertView.scripts.size() > 100)
        rig.alertView.scripts.clear();
    rig.alerts.clearQueue();
}

void useSettings(ChatRig &rig, int argc, char *argv[]) {
    if (const char *file = option(argc, argv, "--settings"))
        rig.load(QString::fromUtf8(readFile(QString::fromLocal8Bit(file))));
}

void printReplay(ChatRig &rig, const QStringList &inputs,
                 const std::function<void(const QString &)> &feed) {
    QStringList spoken;
    QObject::connect(&rig.chat, &Chat::lineShown, [&](const RenderedLine &line) {
        const ChatSpeechRules rules = ChatSpeechRules::from(rig.utils);
        if (!rules.enabled || line.kind != RenderedLine::Kind::Chat)
            return;
        if (const auto text = ChatSpeech::spokenText(line.parts, rules))
            spoken << *text;
    });
    qint64 seen[2] = {0, 0};
    const char *channels[2] = {"chat", "event"};
    for (int i = 0; i < inputs.size(); ++i) {
        feed(inputs.at(i));
        for (int c = 0; c < 2; ++c) {
            const QStringList logged = rig.log(channels[c]);
            for (qint64 k = seen[c]; k < logged.size(); ++k)
                std::printf("%d\t%s\t%s\n", i + 1, channels[c], qPrintable(logged.at(k)));
            seen[c] = logged.size();
        }
        for (const QString &text : std::exchange(spoken, {}))
            std::printf("%d\tspeech\t%s\n", i + 1, qPrintable(text));
    }
}

namespace {
// A recorded frame of several messages writes the two characters \n between them; inside a
// JSON string the same two characters are the string's own line break and stay.
QString frameOf(const QString &line) {
    QString frame;
    frame.reserve(line.size());
    bool inString = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (inString && c == QLatin1Char('\\') && i + 1 < line.size()) {
            frame += c;
            frame += line.at(++i);
            continue;
        }
        if (c == QLatin1Char('"'))
            inString = !inString;
        if (!inString && c == QLatin1Char('\\') && line.mid(i + 1, 1) == QLatin1String("n")) {
            frame += QLatin1Char('\n');
            ++i;
            continue;
        }
        frame += c;
    }
    return frame;
}
} // namespace

int replayFrames(const FrameReplay &replay, ChatRig &rig, int argc, char *argv[]) {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const char *file = option(argc, argv, "--frames");
    QStringList frames;
    for (const QString &line :
         readLines(file ? QString::fromLocal8Bit(file) : QString::fromUtf8(replay.sampleFile)))
        frames << frameOf(line);
    if (frames.isEmpty()) {
        std::fprintf(stderr, "%s: no frames to replay\n", replay.name);
        return 1;
    }
    if (flag(argc, argv, "--print")) {
        useSettings(rig, argc, argv);
        printReplay(rig, frames, replay.print);
        return 0;
    }
    const double rate = inputsPerSecond(frames, [&](const QString &frame) {
        replay.round(frame);
        drain(rig);
    });
    std::printf("%s.frames_per_s %.0f frames/s\n", replay.name, rate);
    return 0;
}
