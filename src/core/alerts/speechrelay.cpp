#include "speechrelay.h"

#include <QWebSocket>

SpeechRelay::SpeechRelay(const QUrl &url, int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_url(url) {
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(timeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("сервер речи не прислал звук за %1 с")
                 .arg(m_timeout.interval() / 1000.0));
    });
}

SpeechRelay::~SpeechRelay() {
    finish();
}

void SpeechRelay::request(const QString &requestText) {
    finish();
    m_socket = std::make_unique<QWebSocket>();
    QWebSocket *socket = m_socket.get();
    connect(socket, &QWebSocket::connected, this,
            [socket, requestText] { socket->sendTextMessage(requestText); });
    connect(socket, &QWebSocket::binaryMessageReceived, this, [this](const QByteArray &bytes) {
        finish();
        emit audio(bytes);
    });
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            [this, socket] {
                fail(QStringLiteral("нет связи с сервером речи: ") + socket->errorString());
            });
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
        // A connection that never opened reports its refusal through the close as well.
        if (socket->error() != QAbstractSocket::UnknownSocketError &&
            socket->error() != QAbstractSocket::RemoteHostClosedError)
            fail(QStringLiteral("нет связи с сервером речи: ") + socket->errorString());
        else
            fail(QStringLiteral("сервер речи закрыл соединение, не прислав звук"));
    });
    m_timeout.start();
    socket->open(m_url);
}

// Detaches from the socket before closing it, so nothing of this exchange reaches the next.
void SpeechRelay::finish() {
    m_timeout.stop();
    if (!m_socket)
        return;
    QWebSocket *socket = m_socket.release();
    socket->disconnect(this);
    socket->close();
    socket->deleteLater();
}

void SpeechRelay::fail(const QString &reason) {
    if (!m_socket)
        return;
    finish();
    emit failed(reason);
}
