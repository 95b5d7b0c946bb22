#pragma once

#include "common/json.h"
#include "connection/centrifugo.h"
#include "connection/gapfill.h"
#include "model/messagepart.h"
#include "services/chatservice.h"
#include "services/troubles.h"
#include "services/vkvideo/vkvideoaccount.h"

#include <QSet>
#include <optional>

namespace key {
inline constexpr const char *vkvideoChannel = "/services/vkvideo/channel";
inline constexpr const char *vkvideoAuth = "/services/vkvideo/auth";
inline constexpr const char *vkvideoClientId = "/services/vkvideo/client_id";
} // namespace key

namespace endpoint {
extern const EndpointKey vkvideoAuth;
extern const EndpointKey vkvideoApi;
extern const EndpointKey vkvideoSocket;
extern const EndpointKey vkvideoClientId;
// The login's loopback landing page: registered with the application, port included.
extern const EndpointKey vkvideoRedirect;
} // namespace endpoint

// VK Video Live's alert kinds, each with its sound.
QList<SoundSlot> vkvideoSoundSlots();

// The channel a streamer typed: a slug, or a link of the site under any of its names; a VK
// Video link (not Live) is refused with what to type instead.
struct VkVideoChannel {
    QString slug;
    QString problem; // in Russian, when there is no slug
    static VkVideoChannel parse(const QString &typed);
};

// VK Video Live's chat: the login, the channel looked up by its slug, the real-time socket
// (Centrifugo, version 4) on the channel's chat and events, and its events as lines and alerts.
class VkVideo : public ChatService {
    Q_OBJECT
public:
    // The session's steps: the channel, the socket's token, the subscription tokens, the
    // socket's connect, the subscriptions, the lines.
    enum class Step { None, Channel, Token, Limited, Connect, Subscribe, Live };
    static constexpr qint64 kPingAfterMs = 25000;
    static constexpr qint64 kPingTimeoutMs = 10000;
    // The connection token is renewed this long before it ends.
    static constexpr qint64 kRefreshAheadMs = 30000;
    // How many recent messages are read back after an outage (the most the API gives).
    static constexpr int kHistoryLimit = 200;

    explicit VkVideo(const ServiceDeps &deps);

    QString id() const override { return QStringLiteral("vkvideo"); }
    QString title() const override { return QStringLiteral("VK Video Live"); }
    QList<CredentialField> fields() const override;
    QList<EndpointKey> endpointKeys() const override;
    QList<SoundSlot> soundSlots() const override { return vkvideoSoundSlots(); }
    void rehearse(const SoundSlot &slot, Rehearsal &draw) override;
    QObject *accountObject() override { return &m_account; }
    void restore() override;
    void stop() override;
    void tick() override;
    bool writes() const override { return true; }
    bool send(const QString &text) override;
    ServiceConnection &connection() override { return m_connection; }

    VkVideoAccount &account() { return m_account; }
    Step step() const { return m_step; }
    // Frames from now on are read as at this step: for replaying recorded frames.
    void readFramesAt(Step step) { m_step = step; }
    void processFrame(const QString &frame) { m_link.readFrame(frame); }

protected:
    void open() override;

private:
    struct Channel {
        qint64 id = 0;
        QString nick;
        QString streamId;
        QStringList open;    // the socket channels anyone may read
        QStringList limited; // those that need a subscription token
    };

    void connectAccount();
    void connectLink();
    QString clientId() const;
    QString slug() const;
    void openSession(bool again);
    void askChannel(int session);
    void askToken(int session, const std::function<void(const QString &)> &then);
    void askLimited(int session);
    void connectSocket();
    void subscribe(const QString &channel, const QString &token = {});
    void subscribed();
    void readHistory(int session);
    void scheduleRefresh(const Json &connectResult);
    void refresh();
    bool answered(int session, const HttpReply &reply, const char *what);
    void refused(CentrifugoSession::Command command, int code, const QString &message);
    void lost(int code, const QString &reason);
    void expired();
    void sent(const HttpReply &reply);

    // Events (vkvideoevents.cpp).
    void publication(const QString &from, const Json &data);
    void liveMessage(Json message);
    void chatMessage(const Json &message);
    void eventAlert(const QString &type, const QString &text);
    void follow(const Json &data);
    void raid(const Json &data);
    void reward(const Json &data);
    void unknownEvent(const QString &type);
    MessageParts authorParts(const Json &author, const QString &messageId) const;
    MessageParts wordsOf(const Json &parts) const;

    ServiceDeps m_deps;
    BearerApi m_api;
    VkVideoAccount m_account;
    Step m_step = Step::None;
    int m_session = 0; // answers of an earlier session are ignored
    Channel m_channel;
    QString m_token;        // the connection token of this session
    int m_pending = 0;      // subscriptions not answered yet
    qint64 m_refreshAt = 0; // when the connection token is renewed; 0: never
    bool m_again = false;   // a reconnection since the last join
    Troubles m_troubles{*this, m_deps.logger};
    QSet<QString> m_unknownSaid;
    CentrifugoSession m_link{CentrifugoSession::Framing::V4};
    ServiceConnection m_connection;
    GapFill m_fill;
};
