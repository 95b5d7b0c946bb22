#pragma once

#include "wsendpoint.h"

#include <QPointer>
#include <QThreadPool>

class SpeechSynth;

// The speech endpoint: one request of token, text and voice, answered with one binary message
// of Ogg Opus audio. Synthesis runs on worker threads, never on the event loop.
class SpeechServer final : public WsEndpoint {
    Q_OBJECT
public:
    static constexpr int kMaxText = 2000;
    // The longest text in Cyrillic with its token and voice is under 10 KB.
    static constexpr qint64 kMaxRequestBytes = 10 * 1024;

    SpeechServer(const QString &token, SpeechSynth &synth, RelayLog log, int requestWithinMs = 2000,
                 int maxClients = 64);

protected:
    void text(QWebSocket &client, const QString &message) override;

private:
    void deliver(const QPointer<QWebSocket> &client, const QByteArray &audio, qint64 ms);

    QString m_token;
    SpeechSynth &m_synth;
    // Last, so it goes first and waits for the running syntheses.
    QThreadPool m_pool;
};
