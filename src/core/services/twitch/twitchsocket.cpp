#include "twitchsocket.h"

#include <QSslSocket>

TwitchSocket::TwitchSocket(QObject *parent)
    : QObject(parent)
    , m_socket(new QSslSocket(this)) {
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Over TLS the login may only start once the handshake is done.
    connect(m_socket, &QSslSocket::connected, this, [this] {
        if (m_port != kTlsPort)
            twitchConnected();
    });
    connect(m_socket, &QSslSocket::encrypted, this, &TwitchSocket::twitchConnected);
    connect(m_socket, &QSslSocket::disconnected, this, &TwitchSocket::twitchDisconnected);
    connect(m_socket, &QSslSocket::readyRead, this, &TwitchSocket::twitchMessage);
    connect(m_socket, &QSslSocket::errorOccurred, this, &TwitchSocket::twitchError);
}

QString TwitchSocket::normalizedChannel(const QString &channel) {
    return channel.startsWith(QLatin1Char('#')) ? channel : QLatin1Char('#') + channel;
}

QString TwitchSocket::address() const {
    return m_host + QLatin1Char(':') + QString::number(m_port);
}

void TwitchSocket::start(const QString &host, quint16 port, const QString &nick,
                         const QString &token, const QString &channel) {
    if (m_connected)
        return;
    m_host = host;
    m_port = port;
    m_nick = nick;
    m_token = token;
    m_channel = channel;
    m_buffer.clear();
    m_dropping = false;
    if (port == kTlsPort)
        m_socket->connectToHostEncrypted(host, port, QIODevice::ReadWrite,
                                         QAbstractSocket::AnyIPProtocol);
    else
        m_socket->connectToHost(host, port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

// A silent server may never take the bytes still queued, and a socket left closing would
// refuse every later start: such a connection is dropped at once. An attempt still connecting
// is dropped too, or it would log in after the user's stop.
void TwitchSocket::stop() {
    if (!m_connected) {
        m_socket->abort();
        return;
    }
    m_socket->disconnectFromHost();
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
}

void TwitchSocket::chat(const QString &message) {
    const QString channel = normalizedChannel(m_channel);
    send(QStringLiteral("PRIVMSG ") + channel, QLatin1Char(':') + message);
    emit logging(QStringLiteral("Twitch << PRIVMSG ") + channel + QStringLiteral(" :") + message);
}

void TwitchSocket::command(const QString &command, const QString &message) {
    send(command, message);
}

void TwitchSocket::send(const QString &command, const QString &parameters) {
    m_socket->write((command + QLatin1Char(' ') + parameters + QStringLiteral("\r\n")).toUtf8());
    // The event loop drains the write; a server that takes nothing while this much piles up
    // is a stalled link, which the supervisor replaces instead of the window waiting on it.
    if (m_socket->bytesToWrite() > kMaxPending) {
        emit failure(
            QStringLiteral("ОШИБКА: сервер Twitch не принимает данные, соединение сброшено"));
        m_socket->abort();
        emit broken();
    }
}

void TwitchSocket::twitchConnected() {
    m_connected = true;
    emit connected(QStringLiteral("Соединились с сервером Twitch ") + address());
    const QString channel = normalizedChannel(m_channel);
    send(QStringLiteral("PASS"), m_token);
    emit logging(QStringLiteral("Twitch << PASS XXXXXXXXXXXXXXXX"));
    send(QStringLiteral("NICK"), m_nick);
    emit logging(QStringLiteral("Twitch << NICK ") + m_nick);
    for (const char *capability :
         {":twitch.tv/membership", ":twitch.tv/commands", ":twitch.tv/tags"}) {
        send(QStringLiteral("CAP REQ"), QLatin1String(capability));
        emit logging(QStringLiteral("Twitch << CAP REQ ") + QLatin1String(capability));
    }
    send(QStringLiteral("JOIN"), channel);
    emit logging(QStringLiteral("Twitch << JOIN ") + channel);
}

void TwitchSocket::twitchDisconnected() {
    m_socket->close();
    m_connected = false;
    emit disconnected(QStringLiteral("Отсоединились от сервера Twitch ") + address());
}

void TwitchSocket::twitchLogging(const QString &message) {
    emit logging(message);
}

// Lines are buffered across reads so a line split over segments arrives whole, once.
void TwitchSocket::twitchMessage() {
    m_buffer += m_socket->readAll();
    int start = 0;
    for (int end = m_buffer.indexOf('\n'); end >= 0; end = m_buffer.indexOf('\n', start)) {
        if (!m_dropping)
            emitLine(m_buffer.mid(start, end - start));
        m_dropping = false;
        start = end + 1;
    }
    m_buffer.remove(0, start);
    if (m_buffer.size() > kMaxLine) {
        if (!m_dropping)
            emit failure(QStringLiteral("ОШИБКА: строка сервера Twitch длиннее %1 байт отброшена")
                             .arg(kMaxLine));
        m_dropping = true;
        m_buffer.clear();
    }
}

void TwitchSocket::emitLine(QByteArray line) {
    const int nul = line.indexOf('\0');
    if (nul >= 0)
        line.truncate(nul);
    emit received(QString::fromUtf8(line).trimmed());
}

void TwitchSocket::twitchError(QAbstractSocket::SocketError socketError) {
    emit received(QStringLiteral("ОШИБКА: ") + QString::number(static_cast<int>(socketError)));
    emit broken();
}
