#pragma once

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <memory>

class QWebSocket;

// One speech exchange at a time with the relay: connect, send the request, take the first
// binary message, close. Every way it can fail ends in `failed`, once, with the socket closed.
class SpeechRelay : public QObject {
    Q_OBJECT
public:
    static constexpr int DEFAULT_TIMEOUT_MS = 10000;

    explicit SpeechRelay(const QUrl &url, int timeoutMs = DEFAULT_TIMEOUT_MS,
                         QObject *parent = nullptr);
    ~SpeechRelay() override;

    void setTimeout(int ms) { m_timeout.setInterval(ms); }
    // Starts an exchange; a running one is abandoned first.
    void request(const QString &requestText);

signals:
    void audio(const QByteArray &bytes);
    void failed(const QString &reason);

private:
    void finish();
    void fail(const QString &reason);

    QUrl m_url;
    QTimer m_timeout;
    std::unique_ptr<QWebSocket> m_socket;
};
