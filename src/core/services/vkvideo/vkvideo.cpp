// The session: the channel by its slug, the socket's tokens from the API, Centrifugo's connect
// and subscriptions, the token's renewal, and what ends or retries it.
#include "services/vkvideo/vkvideo.h"

#include "buildconfig.h"
#include "common/clock.h"
#include "common/js.h"
#include "model/chatsink.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

#include <QRegularExpression>
#include <QUrlQuery>

using js::member;
using js::textOf;
using Command = CentrifugoSession::Command;

const EndpointKey endpoint::vkvideoAuth{"vkvideoAuth", "https://auth.live.vkvideo.ru"};
const EndpointKey endpoint::vkvideoApi{"vkvideoApi", "https://apidev.live.vkvideo.ru"};
const EndpointKey endpoint::vkvideoSocket{"vkvideoSocket",
                                          "wss://pubsub-dev.live.vkvideo.ru/connection/"
                                          "websocket?format=json&cf_protocol_version=v2"};
const EndpointKey endpoint::vkvideoClientId{"vkvideoClientId", KESTRO_VKVIDEO_CLIENT_ID};
const EndpointKey endpoint::vkvideoRedirect{"vkvideoRedirect", "http://localhost:41864/vkvideo"};

namespace {
const QString kAuthField = QStringLiteral("vkvideoAuth");
const QString kClientIdField = QStringLiteral("vkvideoClientId");
// Centrifugo's errors of an ended token.
constexpr int kTokenExpired = 109;
constexpr int kExpired = 110;
// Close codes from this one on ask not to come back; those below, to come back later.
constexpr int kFinalCloseCode = 3500;

QUrl consentPage(const Endpoints &endpoints) {
    QUrl page = endpoints.url(endpoint::vkvideoAuth);
    page.setPath(page.path() + QStringLiteral("/app/oauth2/authorize"));
    return page;
}

// Messages stand in the order of their time, then of their ids.
std::optional<GapFill::Stamp> stampOf(const Json &message) {
    const std::optional<double> at = jsNumber(member(message, "created_at"));
    const Json &id = member(message, "id");
    if (!at || !id.is_number_integer())
        return std::nullopt;
    return GapFill::Stamp{
        {qint64(*at), id.get<qint64>()}, qint64(*at), QString::number(id.get<qint64>())};
}

QString query(std::initializer_list<QPair<QString, QString>> items) {
    QUrlQuery query;
    for (const auto &[name, value] : items)
        query.addQueryItem(name, QString::fromUtf8(QUrl::toPercentEncoding(value)));
    return query.toString(QUrl::FullyEncoded);
}
} // namespace

VkVideoChannel VkVideoChannel::parse(const QString &typed) {
    static const QRegularExpression video(
        QStringLiteral("^(https?://)?(www\\.)?vkvideo\\.ru/live-"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression site(
        QStringLiteral(
            "^(https?://)?(www\\.)?(live\\.vkvideo\\.ru|vkplay\\.live|live\\.vkplay\\.ru)/"
            "([^/?#]+)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression slug(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    const QString text = typed.trimmed();
    if (video.match(text).hasMatch())
        return {{}, QStringLiteral("Это ссылка VK Видео, а нужен канал VK Video Live")};
    const QRegularExpressionMatch link = site.match(text);
    const QString name = link.hasMatch() ? link.captured(4) : text;
    if (!slug.match(name).hasMatch())
        return {{}, QStringLiteral("VK Video Live: впишите канал (его имя или ссылку на него)")};
    return {name.toLower(), {}};
}

VkVideo::VkVideo(const ServiceDeps &deps)
    : ChatService(deps.utils)
    , m_deps(deps)
    , m_api(deps.http, deps.endpoints.url(endpoint::vkvideoApi))
    , m_account(
          m_api, consentPage(deps.endpoints), deps.clock,
          deps.endpoints.url(endpoint::vkvideoRedirect), [this] { return clientId(); },
          deps.endpoints.word(endpoint::vkvideoClientId).isEmpty())
    , m_connection({[this](bool again) { openSession(again); },
                    [this] {
                        ++m_session;
                        m_step = Step::None;
                        m_link.close();
                    },
                    [] {
                    }}, // the server pings: silence past the ping's time is a dead link
                   deps.clock, deps.random, {kPingAfterMs, kPingTimeoutMs})
    , m_fill(stampOf,
             {[this](const Json &message) { chatMessage(message); },
              [this](const QString &message) {
                  m_deps.sink.moderate({Moderation::Act::StrikeMessage, id(), message});
              },
              [this](int missed) {
                  m_deps.sink.serviceLine(
                      QStringLiteral("- VK Video Live: пропущенные сообщения показаны (%1)")
                          .arg(missed));
              }}) {
    followRunning();
    declareSettings({{key::vkvideoAuth, "fields", SettingKind::Record, Json::object(), kAuthField},
                     {key::vkvideoClientId, "fields", SettingKind::Text, "", kClientIdField}});
    connect(&m_connection, &ServiceConnection::outageBegan, this, [this] {
        emit status(QStringLiteral("VK Video Live: связь потеряна, переподключаемся"));
        m_deps.sink.serviceLine(
            QStringLiteral("- VK Video Live: связь потеряна, переподключаемся"));
    });
    connectAccount();
    connectLink();
}

void VkVideo::connectAccount() {
    connect(&m_account, &VkVideoAccount::stored, this, [this](const VkVideoAuth &auth) {
        m_deps.utils.form().setField(kAuthField, qstr(auth.toJson().dump()));
        m_deps.utils.saveConfig();
        if (auth.loggedIn())
            return emit status(QStringLiteral("VK Video Live: вошли как ") + m_account.login());
        if (m_connection.wanted())
            stop();
    });
    connect(&m_account, &VkVideoAccount::failed, this,
            [this](const QString &message) { m_troubles.say(message); });
}

void VkVideo::connectLink() {
    connect(&m_link, &CentrifugoSession::opened, this, &VkVideo::connectSocket);
    connect(&m_link, &CentrifugoSession::lost, this, &VkVideo::lost);
    connect(&m_link, &CentrifugoSession::refused, this, &VkVideo::refused);
    connect(&m_link, &CentrifugoSession::traffic, this, [this](const QString &frame) {
        m_deps.logger.log(QStringLiteral("VK Video Live >> ") + frame, QStringLiteral("raw"));
        m_connection.traffic();
    });
    connect(&m_link, &CentrifugoSession::badFrame, this,
            [this](const QString &why) { m_troubles.dropFrame(why); });
    connect(&m_link, &CentrifugoSession::publication, this, &VkVideo::publication);
}

QString VkVideo::clientId() const {
    const QString built = m_deps.endpoints.word(endpoint::vkvideoClientId);
    return built.isEmpty() ? m_deps.utils.form().field(kClientIdField).trimmed() : built;
}

QString VkVideo::slug() const {
    return VkVideoChannel::parse(m_deps.utils.text(key::vkvideoChannel)).slug;
}

void VkVideo::restore() {
    const Json::json_pointer path(key::vkvideoAuth);
    const Json &stored = m_deps.utils.currentSettings();
    if (stored.contains(path))
        m_account.restore(VkVideoAuth::fromJson(stored.at(path)));
    m_account.nameChannel(slug());
}

void VkVideo::open() {
    const VkVideoChannel channel = VkVideoChannel::parse(m_deps.utils.text(key::vkvideoChannel));
    if (!channel.problem.isEmpty())
        return emit status(channel.problem);
    if (!m_account.auth().loggedIn())
        return emit status(QStringLiteral("VK Video Live: сначала войдите через VK Video Live"));
    if (m_account.ended())
        return expired();
    m_connection.start();
}

void VkVideo::stop() {
    if (m_fill.active())
        m_fill.finish(Json());
    m_connection.stop();
    m_refreshAt = 0;
    emit status(QStringLiteral("VK Video Live: отключаемся от сервера"));
}

void VkVideo::tick() {
    ChatService::tick();
    if (m_refreshAt > 0 && m_deps.clock.now() >= m_refreshAt)
        refresh();
    if (m_fill.overdue(m_deps.clock.now()))
        m_fill.finish(Json());
}

void VkVideo::openSession(bool again) {
    if (again)
        emit status(QStringLiteral("VK Video Live: переподключаемся к серверу"));
    else
        m_fill.started(m_deps.clock.now());
    m_again = m_again || again;
    // Lines that waited for a history this session will not read are shown now.
    if (m_fill.active())
        m_fill.finish(Json());
    ++m_session;
    m_link.close();
    m_refreshAt = 0;
    askChannel(m_session);
}

void VkVideo::askChannel(int session) {
    m_step = Step::Channel;
    m_api.get(m_account.auth().accessToken, QStringLiteral("/v1/channel"),
              query({{QStringLiteral("channel_url"), slug()}}),
              [this, session](const HttpReply &reply) {
                  if (!answered(session, reply, "channel"))
                      return;
                  const Json answer = parseJson(reply.body);
                  const Json &data = member(answer, "data");
                  const Json &channel = member(data, "channel");
                  const Json &sockets = member(channel, "web_socket_channels");
                  m_channel = {qint64(jsNumber(member(channel, "id")).value_or(0)),
                               textOf(channel, "nick"),
                               textOf(member(data, "stream"), "id"),
                               {},
                               {}};
                  for (const char *name : {"chat", "info", "channel_points"})
                      if (!textOf(sockets, name).isEmpty())
                          m_channel.open << textOf(sockets, name);
                  if (!textOf(sockets, "limited_chat").isEmpty())
                      m_channel.limited << textOf(sockets, "limited_chat");
                  m_account.nameChannel(m_channel.nick);
                  if (m_channel.open.isEmpty()) {
                      m_troubles.sayOnce(QStringLiteral("VK Video Live: у канала нет чата"));
                      return m_connection.lost();
                  }
                  askToken(session, [this](const QString &token) {
                      m_token = token;
                      m_step = Step::Connect;
                      m_link.open(m_deps.endpoints.url(endpoint::vkvideoSocket));
                  });
              });
}

// The connection token: for each session, and before the last one ends.
void VkVideo::askToken(int session, const std::function<void(const QString &)> &then) {
    m_api.get(m_account.auth().accessToken, QStringLiteral("/v1/websocket/token"), {},
              [this, session, then](const HttpReply &reply) {
                  if (!answered(session, reply, "websocket/token"))
                      return;
                  const QString token = textOf(member(parseJson(reply.body), "data"), "token");
                  if (token.isEmpty()) {
                      m_troubles.sayOnce(
                          QStringLiteral("VK Video Live: сервер не дал токен подключения"));
                      return m_connection.lost();
                  }
                  then(token);
              });
}

void VkVideo::connectSocket() {
    m_link.send(Command::Connect, Json{{"token", stdstr(m_token)}, {"name", "kestro"}},
                [this](const Json &result) {
                    scheduleRefresh(result);
                    m_step = Step::Subscribe;
                    m_pending = int(m_channel.open.size());
                    for (const QString &channel : qAsConst(m_channel.open))
                        subscribe(channel);
                    if (!m_channel.limited.isEmpty())
                        askLimited(m_session);
                });
}

// A limited channel needs a token of its own; one the answer leaves out is not ours to read.
void VkVideo::askLimited(int session) {
    m_api.get(
        m_account.auth().accessToken, QStringLiteral("/v1/websocket/subscription_token"),
        query({{QStringLiteral("channels"), m_channel.limited.join(QLatin1Char(','))}}),
        [this, session](const HttpReply &reply) {
            if (!answered(session, reply, "websocket/subscription_token"))
                return;
            const Json answer = parseJson(reply.body);
            QHash<QString, QString> tokens;
            for (const Json &entry : member(member(answer, "data"), "channel_tokens"))
                tokens.insert(textOf(entry, "channel"), textOf(entry, "token"));
            for (const QString &channel : qAsConst(m_channel.limited)) {
                if (tokens.value(channel).isEmpty()) {
                    m_deps.logger.log(
                        QStringLiteral("VK Video Live: канал %1 закрыт для чтения").arg(channel),
                        QStringLiteral("error"));
                    continue;
                }
                ++m_pending;
                subscribe(channel, tokens.value(channel));
            }
        });
}

void VkVideo::subscribe(const QString &channel, const QString &token) {
    Json params{{"channel", stdstr(channel)}};
    if (!token.isEmpty())
        params["token"] = stdstr(token);
    m_link.send(Command::Subscribe, params, [this](const Json &) {
        if (--m_pending == 0 && m_step == Step::Subscribe)
            subscribed();
    });
}

void VkVideo::subscribed() {
    m_step = Step::Live;
    m_troubles.over();
    m_connection.joined();
    emit status(QStringLiteral("VK Video Live: подключились к чату ") + m_channel.nick);
    m_deps.sink.serviceLine(QStringLiteral("- VK Video Live: мы на канале ") + m_channel.nick);
    if (std::exchange(m_again, false))
        readHistory(m_session);
}

// After an outage the recent messages, newer than the last one shown, in order; a history
// that cannot be read lets the waiting lines go.
void VkVideo::readHistory(int session) {
    m_fill.begin(m_deps.clock.now());
    m_api.get(m_account.auth().accessToken, QStringLiteral("/v1/chat/messages"),
              query({{QStringLiteral("channel_url"), slug()},
                     {QStringLiteral("limit"), QString::number(kHistoryLimit)}}),
              [this, session](const HttpReply &reply) {
                  if (session != m_session || !m_fill.active())
                      return;
                  if (reply.status != 200)
                      m_deps.logger.log(
                          QStringLiteral("VK Video Live: пропущенные сообщения не прочитаны: ") +
                              reply.problem(),
                          QStringLiteral("error"));
                  m_fill.finish(reply.status == 200
                                    ? member(member(parseJson(reply.body), "data"), "chat_messages")
                                    : Json());
              });
}

// With an ending token, a new one goes out before its time to live runs out.
void VkVideo::scheduleRefresh(const Json &connectResult) {
    const bool expires = member(connectResult, "expires").is_boolean() &&
                         member(connectResult, "expires").get<bool>();
    const std::optional<double> ttl = jsNumber(member(connectResult, "ttl"));
    m_refreshAt =
        expires && ttl && *ttl > 0
            ? m_deps.clock.now() + qMax<qint64>(1000, qint64(*ttl * 1000) - kRefreshAheadMs)
            : 0;
}

void VkVideo::refresh() {
    m_refreshAt = 0;
    askToken(m_session, [this](const QString &token) {
        m_token = token;
        m_link.send(Command::Refresh, Json{{"token", stdstr(token)}},
                    [this](const Json &result) { scheduleRefresh(result); });
    });
}

// A reply of this session that the request may go on with; a refusal is dealt with here.
bool VkVideo::answered(int session, const HttpReply &reply, const char *what) {
    if (session != m_session)
        return false;
    if (reply.status == 401) {
        expired();
        return false;
    }
    if (reply.status == 200)
        return true;
    const QString error = textOf(parseJson(reply.body), "error");
    m_troubles.sayOnce(error == QLatin1String("channel_not_found")
                           ? QStringLiteral("VK Video Live: канал %1 не найден").arg(slug())
                           : m_troubles.refusal(reply, what));
    m_connection.lost();
    return false;
}

// An ended token: a new one and a new link; any other refusal, retried after a while.
void VkVideo::refused(Command command, int code, const QString &message) {
    if (code != kTokenExpired && code != kExpired)
        m_troubles.sayOnce(QStringLiteral("VK Video Live: сервер отказал (%1): %2")
                               .arg(command == Command::Subscribe ? QStringLiteral("подписка")
                                                                  : QString::number(code),
                                    message));
    m_connection.lost();
}

void VkVideo::lost(int code, const QString &reason) {
    if (code < kFinalCloseCode)
        return m_connection.lost();
    const QString text =
        QStringLiteral("VK Video Live: сервер закрыл связь (%1 %2), чат остановлен")
            .arg(code)
            .arg(reason);
    stop();
    m_troubles.say(text);
}

void VkVideo::expired() {
    m_connection.stop();
    m_account.expire();
    m_troubles.say(QStringLiteral("VK Video Live: вход истёк — войдите снова"));
}

// The text as one text part; the chat sends it back over the socket, where it shows.
bool VkVideo::send(const QString &typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty() || m_step != Step::Live)
        return false;
    QString where = query({{QStringLiteral("channel_url"), slug()}});
    if (!m_channel.streamId.isEmpty())
        where += QStringLiteral("&stream_id=") + QUrl::toPercentEncoding(m_channel.streamId);
    m_api.post(
        m_account.auth().accessToken, QStringLiteral("/v1/chat/message/send"),
        Json{{"parts", Json::array({Json{{"text", Json{{"content", stdstr(text)}}}}})}},
        [this](const HttpReply &reply) { sent(reply); }, where);
    return true;
}

// A refusal in words; an ended login as everywhere else.
void VkVideo::sent(const HttpReply &reply) {
    if (reply.status == 200)
        return;
    if (reply.status == 401)
        return expired();
    static const QHash<QString, QString> refusals{
        {QStringLiteral("send_too_fast"), QStringLiteral("слишком часто")},
        {QStringLiteral("same_message"), QStringLiteral("такое сообщение уже было")},
        {QStringLiteral("message_too_long"), QStringLiteral("сообщение длиннее допустимого")},
        {QStringLiteral("ratelimit_exceeded"), QStringLiteral("слишком часто")}};
    const QString error = textOf(parseJson(reply.body), "error");
    const QString words = reply.status == 403 ? QStringLiteral("писать в этот чат нельзя")
                                              : refusals.value(error, reply.problem());
    m_troubles.say(QStringLiteral("VK Video Live: ") + words);
}
