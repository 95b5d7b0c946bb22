#pragma once

#include "common/json.h"

#include <QHash>
#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>

class QWebSocket;

// One Centrifugo link over a WebSocket in JSON, in either framing its servers speak: version 2
// (DonationAlerts: numbered methods, "params" and "result") or version 4 (VK Video Live:
// commands by name, "push", pings as empty messages). Several messages may share a frame, a
// line each. Replies reach the command's handler by its id; publications come as signals. What
// is sent carries tokens: it never reaches a log.
class CentrifugoSession : public QObject {
    Q_OBJECT
public:
    enum class Framing { V2, V4 };
    enum class Command { Connect, Subscribe, Ping, Refresh };
    static constexpr int kMaxFrameBytes = 1 << 20;
    using Reply = std::function<void(const Json &result)>;

    explicit CentrifugoSession(Framing framing, QObject *parent = nullptr);
    ~CentrifugoSession() override;

    void open(const QUrl &url);
    // Closed silenced: no loss is said for it.
    void close();
    bool isOpen() const { return m_socket != nullptr; }
    // A command of this link; its result reaches `done`, an error reply `refused`.
    void send(Command command, const Json &params, Reply done = {});
    // One frame, as if it came over the socket: for replaying recorded frames.
    void readFrame(const QString &frame);

signals:
    void opened();
    // Any frame: the link is alive.
    void traffic(const QString &frame);
    void publication(const QString &channel, const Json &data);
    void refused(Command command, int code, const QString &message);
    // The server's disconnect, or the socket closed, with its code (0 for none).
    void lost(int code, const QString &reason);
    // A message left out, and why, in Russian ("длиннее 1024 КБ").
    void badFrame(const QString &why);

private:
    void handle(const Json &message);
    void handlePush(const Json &push);
    Json frameOf(Command command, qint64 id, const Json &params) const;

    Framing m_framing;
    std::unique_ptr<QWebSocket> m_socket;
    qint64 m_lastId = 0;
    QHash<qint64, QPair<Command, Reply>> m_waiting;
    bool m_pong = false; // version 4: the server wants its pings answered
};
