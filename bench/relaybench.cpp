#include "relaybench.h"

#include "espeaksynth.h"
#include "replay.h"
#include "speechserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWebSocket>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
const char kToken[] = "bench-token";
// A typical alert: a sub with its message, 80 characters.
const QString kText = QStringLiteral("Спасибо за подписку, Виктор! Сообщение: отличный стрим, "
                                     "продолжай в том же духе!");
// The longest chat line chat speech reads by default: 200 characters and its ending.
const QString kChatLine = QStringLiteral(
    "Ann: слушай, а в прошлый раз ты проходил этот уровень совсем по-другому, через левую "
    "дверь и мимо охраны, может стоит попробовать так же, а потом уже идти к боссу через "
    "верхний мост и и так далее");

// Milliseconds from opening each of `clients` connections at once to its binary answer.
std::vector<double> round(quint16 port, int clients, const QString &text = kText) {
    const QString request = QStringLiteral(R"({"token":"%1","text":"%2","voice":"jane"})")
                                .arg(QLatin1String(kToken), text);
    std::vector<std::unique_ptr<QWebSocket>> sockets;
    std::vector<double> times;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < clients; ++i) {
        sockets.push_back(std::make_unique<QWebSocket>());
        QWebSocket *socket = sockets.back().get();
        QObject::connect(socket, &QWebSocket::connected,
                         [socket, request] { socket->sendTextMessage(request); });
        QObject::connect(socket, &QWebSocket::binaryMessageReceived,
                         [&times, &clock] { times.push_back(clock.nsecsElapsed() / 1e6); });
        socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/tts").arg(port)));
    }
    while (int(times.size()) < clients && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return times;
}

void report(const char *name, quint16 port, int clients, int rounds,
            const QString &text = kText) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        const std::vector<double> once = round(port, clients, text);
        times.insert(times.end(), once.begin(), once.end());
    }
    std::printf("relay.%s_ms.median %.0f ms\nrelay.%s_ms.p95 %.0f ms\n", name,
                percentile(times, 0.5), name, percentile(times, 0.95));
}
} // namespace

int runRelayBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const char *roundsOption = option(argc, argv, "--rounds");
    const int rounds = std::max(1, roundsOption ? QByteArray(roundsOption).toInt() : 10);
    EspeakSynth synth;
    SpeechServer server(QString::fromLatin1(kToken), synth, [](const QString &) {});
    if (!synth.ready() || !server.listen(QHostAddress::LocalHost, 0)) {
        std::fputs("relay: the speech endpoint could not start\n", stderr);
        return 1;
    }
    round(server.port(), 1); // warm up the voice data
    report("one_client", server.port(), 1, rounds * 2);
    report("four_clients", server.port(), 4, rounds);
    report("chat_line", server.port(), 1, rounds * 2, kChatLine);
    return 0;
}
