#include "speechserver.h"

#include "common/json.h"
#include "speechsynth.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QWebSocket>

namespace {
// Equal texts take as long to compare as unequal ones, whatever they share.
bool sameSecret(const QString &given, const QString &expected) {
    const QByteArray a = given.toUtf8();
    const QByteArray b = expected.toUtf8();
    unsigned difference = unsigned(a.size() ^ b.size());
    for (int i = 0; i < b.size(); ++i)
        difference |= unsigned(uchar(i < a.size() ? a.at(i) : 0) ^ uchar(b.at(i)));
    return difference == 0 && !b.isEmpty();
}
} // namespace

SpeechServer::SpeechServer(const QString &token, SpeechSynth &synth, RelayLog log,
                           int requestWithinMs, int maxClients)
    : WsEndpoint(QStringLiteral("speech"), QStringLiteral("/tts"),
                 {maxClients, requestWithinMs, kMaxRequestBytes}, std::move(log))
    , m_token(token)
    , m_synth(synth) {}

void SpeechServer::text(QWebSocket &client, const QString &message) {
    if (client.property("asked").toBool())
        return refuse(client, QStringLiteral("второй запрос в одном соединении"));
    client.setProperty("asked", true);
    const QByteArray utf8 = message.toUtf8();
    const QJsonDocument document =
        jsonDepthWithin(utf8) ? QJsonDocument::fromJson(utf8) : QJsonDocument();
    if (!document.isObject())
        return refuse(client, QStringLiteral("запрос не JSON-объект"));
    const QJsonObject request = document.object();
    if (!sameSecret(request.value(QStringLiteral("token")).toString(), m_token))
        return refuse(client, QStringLiteral("чужой токен"),
                      QWebSocketProtocol::CloseCodePolicyViolated);
    settle(client);
    const QJsonValue textValue = request.value(QStringLiteral("text"));
    if (!textValue.isString())
        return refuse(client, QStringLiteral("нет текста"));
    const QString text = textValue.toString();
    if (text.trimmed().isEmpty())
        return refuse(client, QStringLiteral("пустой текст"));
    if (text.size() > kMaxText)
        return refuse(client, QStringLiteral("текст длиннее %1 знаков").arg(kMaxText));
    const QStringList &voices = SpeechSynth::voices();
    QString voice = voices.at(QRandomGenerator::global()->bounded(voices.size()));
    if (request.contains(QStringLiteral("voice"))) {
        voice = request.value(QStringLiteral("voice")).toString();
        if (!voices.contains(voice))
            return refuse(client, QStringLiteral("неизвестный голос"));
    }
    QPointer<QWebSocket> target(&client);
    m_pool.start([this, target, text, voice] {
        QElapsedTimer clock;
        clock.start();
        const QByteArray audio = m_synth.speak(text, voice);
        const qint64 ms = clock.elapsed();
        QMetaObject::invokeMethod(
            this, [this, target, audio, ms] { deliver(target, audio, ms); }, Qt::QueuedConnection);
    });
}

void SpeechServer::deliver(const QPointer<QWebSocket> &client, const QByteArray &audio, qint64 ms) {
    if (!client || client->state() != QAbstractSocket::ConnectedState)
        return say(QStringLiteral("клиент ушёл, не дождавшись ответа"));
    if (audio.isEmpty())
        return refuse(*client, QStringLiteral("ОШИБКА: речь не получилась"),
                      QWebSocketProtocol::CloseCodeBadOperation);
    client->sendBinaryMessage(audio);
    say(QStringLiteral("ответ %1 байт за %2 мс (%3)").arg(audio.size()).arg(ms).arg(peer(*client)));
    client->close();
}
