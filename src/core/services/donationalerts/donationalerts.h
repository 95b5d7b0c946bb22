#pragma once

#include "common/json.h"
#include "connection/centrifugo.h"
#include "connection/gapfill.h"
#include "net/bearerapi.h"
#include "services/chatservice.h"
#include "services/donationalerts/donation.h"
#include "services/donationalerts/donationalertsaccount.h"
#include "services/troubles.h"

#include <QSet>

// Where DonationAlerts' login is stored in settings.json.
namespace key {
inline constexpr const char *donationalertsAuth = "/services/donationalerts/auth";
inline constexpr const char *donationalertsClientId = "/services/donationalerts/client_id";
} // namespace key

namespace endpoint {
extern const EndpointKey donationalertsSite;
extern const EndpointKey donationalertsSocket;
extern const EndpointKey donationalertsClientId;
// The login's loopback landing page: registered with the application, port included.
extern const EndpointKey donationalertsRedirect;
} // namespace endpoint


// DonationAlerts' donations as alerts: the login, its real-time socket (Centrifugo's JSON
// protocol, version 2) and the recent donations read back after a reconnection, each
// donation queued once.
class DonationAlerts : public ChatService {
    Q_OBJECT
public:
    // The session's steps: the user's socket token, the socket's connect, the channel's token,
    // the subscription, the donations.
    enum class Step { None, User, Connect, Token, Subscribe, Live };
    // How far back the donations of an outage are read: pages of 30.
    static constexpr int kMaxBackfillPages = 5;
    static constexpr qint64 kPingAfterMs = 25000;
    static constexpr qint64 kPingTimeoutMs = 10000;

    explicit DonationAlerts(const ServiceDeps &deps);
    ~DonationAlerts() override;

    QString id() const override { return QStringLiteral("donationalerts"); }
    QString title() const override { return QStringLiteral("DonationAlerts"); }
    QList<CredentialField> fields() const override { return {}; }
    QList<EndpointKey> endpointKeys() const override;
    QList<SoundSlot> soundSlots() const override;
    void rehearse(const SoundSlot &slot, Rehearsal &draw) override;
    QObject *accountObject() override { return &m_account; }
    void restore() override;
    void stop() override;
    ServiceConnection &connection() override { return m_connection; }

    DonationAlertsAccount &account() { return m_account; }
    Step step() const { return m_step; }
    // Frames from now on are read as at this step: for replaying recorded frames.
    void readFramesAt(Step step) { m_step = step; }
    // One socket frame: one JSON message, or several a line each.
    void processFrame(const QString &frame, bool rehearsal = false);

protected:
    void open() override;

private:
    void connectAccount();
    void connectLink();
    QString clientId() const;
    void openSession(bool again);
    void askUser(int session);
    void openSocket(const QString &socketToken);
    void askChannelToken(int session);
    void subscribe(const QString &channelToken);
    void sendProbe();
    bool answered(int session, const HttpReply &reply, const char *what);
    void expired();
    void publication(const QString &from, const Json &data);
    void subscribed();
    void readPage(int session, int page, Json found);
    void endBackfill(Json found);
    void releaseHeld();
    void offer(const Json &record, bool rehearsal);
    void showOnce(const Json &record);
    void alertOf(const Donation &donation);
    QString channel() const;

    ServiceDeps m_deps;
    BearerApi m_api;
    DonationAlertsAccount m_account;
    Step m_step = Step::None;
    int m_session = 0; // answers of an earlier session are ignored
    bool m_again = false;
    QString m_socketToken;
    QString m_client; // the socket's client id, which the channel's token belongs to
    bool m_rehearsing = false;
    QSet<qint64> m_seen; // every donation queued in this run, or there before it
    bool m_knowsBefore = false; // the donations before the run have been read
    Troubles m_troubles{*this, m_deps.logger};
    CentrifugoSession m_link{CentrifugoSession::Framing::V2};
    ServiceConnection m_connection;
    GapFill m_fill; // the outage's donations, then the live ones that waited
};
