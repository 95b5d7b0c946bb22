// The session: the socket token, Centrifugo's connect, the channel's token from the API, the
// subscription, the keep-alive.
#include "services/donationalerts/donationalerts.h"

#include "buildconfig.h"
#include "common/js.h"
#include "common/logging.h"
#include "model/chatsink.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

using js::member;
using js::textOf;

const EndpointKey endpoint::donationalertsSite{"donationalertsSite",
                                               "https://www.donationalerts.com"};
const EndpointKey endpoint::donationalertsSocket{
    "donationalertsSocket", "wss://centrifugo.donationalerts.com/connection/websocket"};
const EndpointKey endpoint::donationalertsClientId{"donationalertsClientId",
                                                   KESTRO_DONATIONALERTS_CLIENT_ID};
const EndpointKey endpoint::donationalertsRedirect{"donationalertsRedirect",
                                                   "http://127.0.0.1:41863/donationalerts"};

namespace {
const QString kAuthField = QStringLiteral("donationalertsAuth");
const QString kClientIdField = QStringLiteral("donationalertsClientId");
using Command = CentrifugoSession::Command;

// Donation ids grow with time.
std::optional<GapFill::Stamp> stampOf(const Json &record) {
    const std::optional<Donation> donation = Donation::fromJson(record);
    if (!donation)
        return std::nullopt;
    return GapFill::Stamp{{donation->id, 0}, 0, QString::number(donation->id)};
}
} // namespace

DonationAlerts::DonationAlerts(const ServiceDeps &deps)
    : ChatService(deps.utils)
    , m_deps(deps)
    , m_api(deps.http, deps.endpoints.url(endpoint::donationalertsSite))
    , m_account(
          m_api, deps.clock, deps.endpoints.url(endpoint::donationalertsRedirect),
          [this] { return clientId(); },
          deps.endpoints.word(endpoint::donationalertsClientId).isEmpty())
    , m_connection({[this](bool again) { openSession(again); },
                    [this] {
                        ++m_session;
                        m_step = Step::None;
                        m_link.close();
                    },
                    [this] {
                        sendProbe();
                    }},
                   deps.clock, deps.random, {kPingAfterMs, kPingTimeoutMs})
    , m_fill(stampOf, {[this](const Json &record) { showOnce(record); }, [](const QString &) {},
                       [this](int missed) {
                           m_deps.sink.serviceLine(
                               QStringLiteral("- DonationAlerts: пропущенные донаты показаны (%1)")
                                   .arg(missed));
                       }}) {
    followRunning();
    declareSettings({{key::donationalertsAuth, "fields", SettingKind::Record, Json::object(),
                      kAuthField},
                     {key::donationalertsClientId, "fields", SettingKind::Text, "",
                      kClientIdField}});
    connect(&m_connection, &ServiceConnection::outageBegan, this, [this] {
        emit status(QStringLiteral("DonationAlerts: связь потеряна, переподключаемся"));
        m_deps.sink.serviceLine(QStringLiteral("- DonationAlerts: связь потеряна, переподключаемся"));
    });
    connectAccount();
    connectLink();
}

DonationAlerts::~DonationAlerts() = default;

void DonationAlerts::connectLink() {
    connect(&m_link, &CentrifugoSession::opened, this, [this] {
        qCDebug(lcDonationAlerts).noquote() << QStringLiteral("Подключились к DonationAlerts.");
        m_link.send(Command::Connect, Json{{"token", stdstr(m_socketToken)}},
                    [this](const Json &result) {
                        m_client = textOf(result, "client");
                        askChannelToken(m_session);
                    });
    });
    connect(&m_link, &CentrifugoSession::lost, this, [this](int, const QString &reason) {
        qCDebug(lcDonationAlerts).noquote()
            << QStringLiteral("Отключились от DonationAlerts: ") + reason;
        m_connection.lost();
    });
    connect(&m_link, &CentrifugoSession::refused, this,
            [this](Command, int, const QString &message) {
                m_troubles.sayOnce(QStringLiteral("DonationAlerts: сервер отказал: ") + message);
                m_connection.lost();
            });
    connect(&m_link, &CentrifugoSession::traffic, this, [this](const QString &frame) {
        m_deps.logger.log(QStringLiteral("DonationAlerts >> ") + frame, QStringLiteral("raw"));
        if (!m_rehearsing)
            m_connection.traffic();
    });
    connect(&m_link, &CentrifugoSession::badFrame, this,
            [this](const QString &why) { m_troubles.dropFrame(why); });
    connect(&m_link, &CentrifugoSession::publication, this, &DonationAlerts::publication);
}

void DonationAlerts::connectAccount() {
    connect(&m_account, &DonationAlertsAccount::stored, this, [this](const DonationAlertsAuth &auth) {
        m_deps.utils.form().setField(kAuthField, qstr(auth.toJson().dump()));
        m_deps.utils.saveConfig();
        if (auth.loggedIn())
            return emit status(QStringLiteral("DonationAlerts: вошли как ") + auth.name);
        // Logged out: nothing may go on with a token that is gone.
        if (m_connection.wanted())
            stop();
    });
    connect(&m_account, &DonationAlertsAccount::failed, this,
            [this](const QString &message) { m_troubles.say(message); });
}

// The build's client id, or the one endpoints.json moves it to, or else the one the user typed.
QString DonationAlerts::clientId() const {
    const QString built = m_deps.endpoints.word(endpoint::donationalertsClientId);
    return built.isEmpty() ? m_deps.utils.form().field(kClientIdField).trimmed() : built;
}

void DonationAlerts::restore() {
    const Json::json_pointer path(key::donationalertsAuth);
    const Json &stored = m_deps.utils.currentSettings();
    if (stored.contains(path))
        m_account.restore(DonationAlertsAuth::fromJson(stored.at(path)));
}

void DonationAlerts::open() {
    if (!m_account.auth().loggedIn())
        return emit status(QStringLiteral("DonationAlerts: сначала войдите через DonationAlerts"));
    m_again = false;
    m_connection.start();
}

void DonationAlerts::stop() {
    m_connection.stop();
    releaseHeld();
    emit status(QStringLiteral("DonationAlerts: отключаемся от сервера"));
}

void DonationAlerts::openSession(bool again) {
    m_again = m_again || again;
    if (again)
        emit status(QStringLiteral("DonationAlerts: переподключаемся к серверу"));
    // Donations that waited for a read-back this session will not finish are shown now.
    releaseHeld();
    ++m_session;
    m_link.close();
    m_step = Step::User;
    askUser(m_session);
}

// The socket token is the user's and may change: each session asks for it.
void DonationAlerts::askUser(int session) {
    m_api.get(m_account.auth().accessToken, QStringLiteral("/api/v1/user/oauth"), {},
              [this, session](const HttpReply &reply) {
                  if (!answered(session, reply, "user/oauth"))
                      return;
                  const QString token =
                      textOf(member(parseJson(reply.body), "data"), "socket_connection_token");
                  if (token.isEmpty()) {
                      m_troubles.sayOnce(
                          QStringLiteral("DonationAlerts: сервер не дал токен подключения"));
                      return m_connection.lost();
                  }
                  openSocket(token);
              });
}

void DonationAlerts::openSocket(const QString &socketToken) {
    m_step = Step::Connect;
    m_socketToken = socketToken;
    m_link.open(m_deps.endpoints.url(endpoint::donationalertsSocket));
}

// The channel's token belongs to this socket's client: every session asks anew.
void DonationAlerts::askChannelToken(int session) {
    m_step = Step::Token;
    const Json body{{"channels", Json::array({stdstr(channel())})}, {"client", stdstr(m_client)}};
    m_api.post(m_account.auth().accessToken, QStringLiteral("/api/v1/centrifuge/subscribe"), body,
               [this, session](const HttpReply &reply) {
                   if (!answered(session, reply, "centrifuge/subscribe"))
                       return;
                   const Json answer = parseJson(reply.body);
                   for (const Json &entry : member(answer, "channels")) {
                       if (textOf(entry, "channel") == channel() && !textOf(entry, "token").isEmpty())
                           return subscribe(textOf(entry, "token"));
                   }
                   m_troubles.sayOnce(
                       QStringLiteral("DonationAlerts: подписка на донаты не выдана"));
                   m_connection.lost();
               });
}

void DonationAlerts::subscribe(const QString &channelToken) {
    m_step = Step::Subscribe;
    m_link.send(Command::Subscribe,
                Json{{"channel", stdstr(channel())}, {"token", stdstr(channelToken)}},
                [this](const Json &) {
                    if (m_step == Step::Subscribe)
                        subscribed();
                });
}

// Any answer is traffic, the ping's too.
void DonationAlerts::sendProbe() {
    m_link.send(Command::Ping, Json());
}

// A reply of this session that the request may go on with; a refusal is dealt with here.
bool DonationAlerts::answered(int session, const HttpReply &reply, const char *what) {
    if (session != m_session)
        return false;
    if (reply.status == 401) {
        expired();
        return false;
    }
    if (reply.status == 200)
        return true;
    m_troubles.sayOnce(m_troubles.refusal(reply, what));
    m_connection.lost();
    return false;
}

void DonationAlerts::expired() {
    m_connection.stop();
    releaseHeld();
    m_account.expire();
    m_troubles.say(QStringLiteral("DonationAlerts: вход истёк — войдите снова"));
}

// Frames read as a rehearsal reach the queue whatever the step, and as often as they come.
void DonationAlerts::processFrame(const QString &frame, bool rehearsal) {
    m_rehearsing = rehearsal;
    m_link.readFrame(frame);
    m_rehearsing = false;
}

void DonationAlerts::publication(const QString &from, const Json &data) {
    if (!m_rehearsing && (m_step != Step::Live || (!m_client.isEmpty() && from != channel())))
        return;
    if (Donation::fromJson(data))
        return offer(data, m_rehearsing);
    m_troubles.dropFrame(QStringLiteral("без доната"));
}

QString DonationAlerts::channel() const {
    return QStringLiteral("$alerts:donation_") + QString::number(m_account.auth().userId);
}
