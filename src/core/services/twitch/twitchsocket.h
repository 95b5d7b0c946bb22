#pragma once

#include <QAbstractSocket>
#include <QObject>

class QSslSocket;

// A minimal IRC client for Twitch chat: logs in, joins one channel, sends lines and hands
// every received line upward. Port 6697 is Twitch's TLS port and is connected encrypted.
class TwitchSocket : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kTlsPort = 6697;
    // A server line longer than this is dropped rather than buffered without end.
    static constexpr int kMaxLine = 64 * 1024;
    // Bytes queued for a server that reads nothing before the link counts as stalled.
    static constexpr qint64 kMaxPending = 1024 * 1024;

    explicit TwitchSocket(QObject *parent = nullptr);

    static QString normalizedChannel(const QString &channel);

signals:
    void connected(const QString &message);
    void disconnected(const QString &message);
    void received(const QString &message);
    void logging(const QString &message);
    // Problems that belong in the error log rather than on the chat path.
    void failure(const QString &message);
    // The link failed (refused, reset, TLS refused); the supervisor reconnects.
    void broken();

public slots:
    void start(const QString &host, quint16 port, const QString &nick, const QString &token,
               const QString &channel);
    void stop();
    void chat(const QString &message);
    void command(const QString &command, const QString &message);

    void twitchConnected();
    void twitchDisconnected();
    void twitchLogging(const QString &message);
    void twitchMessage();
    void twitchError(QAbstractSocket::SocketError socketError);

private:
    void send(const QString &command, const QString &parameters);
    void emitLine(QByteArray line);
    QString address() const;

    QSslSocket *m_socket;
    QString m_host;
    quint16 m_port = 0;
    QString m_nick;
    QString m_token;
    QString m_channel;
    bool m_connected = false;
    QByteArray m_buffer;
    bool m_dropping = false;
};
