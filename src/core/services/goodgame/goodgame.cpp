// The session: the socket, the chat login, the steps to the join, keep-alive and the gap
// filled after a reconnection.
#include "services/goodgame/goodgame.h"

#include "common/clock.h"
#include "common/logging.h"
#include "common/markup.h"
#include "connection/droppedsocket.h"
#include "model/chatsink.h"
#include "net/http.h"
#include "services/goodgame/goodgamejson.h"
#include "services/patience.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

using gg::member;
using gg::textOf;

namespace {
const QString kLeftQuote = QStringLiteral("&laquo;");
const QString kRightQuote = QStringLiteral("&raquo;");

// The version the server's welcome names; a welcome without one is the legacy protocol.
int protocolVersion(const Json &welcome) {
    return jsNumber(member(member(welcome, "data"), "protocolVersion")).value_or(1) >= 2 ? 2 : 1;
}

Json channelData(std::optional<qint64> channel) {
    Json data = Json::object();
    data["channel_id"] = channel ? Json(*channel) : Json(nullptr);
    return data;
}
} // namespace

namespace {
// GoodGame's message ids grow with time; its timestamps tell before any line was shown.
std::optional<GapFill::Stamp> stampOf(const Json &message) {
    const QString id = gg::textOf(message, "message_id");
    const std::optional<qint64> number = parseInt(id);
    if (!number)
        return std::nullopt;
    return GapFill::Stamp{
        {*number, 0}, qint64(jsNumber(gg::member(message, "timestamp")).value_or(0)), id};
}
} // namespace

Goodgame::Goodgame(const ServiceDeps &deps)
    : ChatService(deps.utils)
    , m_deps(deps)
    , m_connection({[this](bool again) { openSession(again); }, [this] { dropSocket(m_socket); },
                    [this] {
                        sendProbe();
                    }},
                   deps.clock, deps.random)
    , m_fill(
          stampOf,
          {[this](const Json &message) { chatMessage(message); },
           [this](const QString &message) {
               m_deps.sink.moderate({Moderation::Act::StrikeMessage, id(), message});
           },
           [this](int missed) {
               serviceLine(
                   QStringLiteral("- GoodGame: пропущенные сообщения показаны (%1)").arg(missed));
           }}) {
    followRunning();
    declareSettings();
    connect(&m_connection, &ServiceConnection::outageBegan, this, [this] {
        emit status(QStringLiteral("GoodGame: связь потеряна, переподключаемся"));
        serviceLine(QStringLiteral("- GoodGame: связь потеряна, переподключаемся"));
    });
}

Goodgame::~Goodgame() {
    dropSocket(m_socket);
}

void Goodgame::openSession(bool again) {
    // Lines that waited for a history that will not come now are shown as they are.
    releaseHeldLines();
    m_pingAnswered = false;
    if (again) {
        m_reconnecting = true;
        emit status(QStringLiteral("GoodGame: переподключаемся к серверу"));
    }
    m_step = Step::Connect;
    m_socket = std::make_unique<QWebSocket>();
    QWebSocket *socket = m_socket.get();
    connect(socket, &QWebSocket::connected, this, [] {
        qCDebug(lcGoodgame).noquote() << QStringLiteral("Подключились к серверу GoodGame.");
    });
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            [this, socket] {
                qCDebug(lcGoodgame).noquote()
                    << QStringLiteral("GoodGame ошибка: ") + socket->errorString();
                m_connection.lost();
            });
    connect(socket, &QWebSocket::disconnected, this, [this] {
        qCDebug(lcGoodgame).noquote() << QStringLiteral("Отключились от сервера GoodGame.");
        m_connection.lost();
    });
    connect(socket, &QWebSocket::textMessageReceived, this,
            [this](const QString &text) { processMessage(text); });
    socket->open(m_deps.endpoints.url(endpoint::goodgameChat));
}

// Any answer is traffic; the counters themselves are not shown. Version 2 has a ping, but
// whether a server answers it is only known once it has.
void Goodgame::sendProbe() {
    if (m_version >= 2)
        send(Json{{"type", "ping"}, {"data", Json::object()}});
    if (m_version < 2 || !m_pingAnswered)
        send(Json{{"type", "get_channel_counters"}, {"data", channelData(m_channelID)}});
}

void Goodgame::tick() {
    m_connection.tick();
    if (m_fill.overdue(m_deps.clock.now()))
        m_fill.finish(Json());
}

void Goodgame::open() {
    const Utils &settings = m_deps.utils;
    connectToGoodgame(settings.text(key::goodgameLogin), settings.text(key::goodgamePassword),
                      settings.text(key::goodgameChannel));
}

void Goodgame::connectToGoodgame(const QString &loginValue, const QString &passwordValue,
                                 const QString &channelValue) {
    m_login = loginValue;
    m_password = passwordValue;
    m_channel = channelValue;
    m_channelID = parseInt(channelValue);
    loadEmotes();
    m_reconnecting = false;
    m_fill.started(m_deps.clock.now());
    m_connection.start();
}

void Goodgame::disconnectFromGoodgame() {
    releaseHeldLines();
    serviceLine(QStringLiteral("- GoodGame: уходим с канала ") + quotedChannel());
    m_connection.stop();
    emit status(QStringLiteral("GoodGame: отключаемся от сервера"));
}

// Logged in and joined, the text goes to the channel; the chat sends it back as a message.
bool Goodgame::send(const QString &typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty() || m_step != Step::Chat || !m_channelID)
        return false;
    send(Json{{"type", "send_message"},
              {"data", Json{{"channel_id", *m_channelID},
                            {"text", stdstr(text)},
                            {"hideIcon", false},
                            {"mobile", false}}}});
    return true;
}

void Goodgame::send(const Json &frame) {
    if (m_socket)
        m_socket->sendTextMessage(qstr(frame.dump()));
}

void Goodgame::loginToGoodgame() {
    QUrl url = m_deps.endpoints.url(endpoint::goodgameSite);
    url.setPath(QStringLiteral("/ajax/chatlogin"));
    // The password travels only in this body, over https, and is never logged.
    const QByteArray body = "login=" + QUrl::toPercentEncoding(m_login) +
                            "&password=" + QUrl::toPercentEncoding(m_password);
    // A login that gets no answer holds the chat up: sent again while this socket lives.
    const auto wanted = [this, socket = m_socket.get()] {
        return m_socket.get() == socket;
    };
    m_deps.http.postForm(
        url, body,
        [this](const HttpReply &reply) {
            if (reply.status != 200) {
                const QString message =
                    QStringLiteral("Ошибка GoodGame (chatlogin): ") + reply.problem();
                m_deps.logger.log(message, QStringLiteral("error"));
                return emit status(message);
            }
            const Json answer = parseJson(reply.body);
            if (!answer.is_object())
                return;
            m_user = member(answer, "user_id");
            m_token = textOf(answer, "token");
            m_step = Step::Auth;
            authorizeOnGoodgame();
        },
        loggedPatience(
            QStringLiteral("GoodGame"), m_deps.logger,
            [this](const QString &words) { emit status(words); }, wanted));
}

void Goodgame::authorizeOnGoodgame() {
    Json data = Json::object();
    data["user_id"] = m_user;
    data["token"] = stdstr(m_token);
    send(Json{{"type", "auth"}, {"data", data}});
}

void Goodgame::getAllChannels() {
    send(Json{{"type", "get_channels_list"}, {"data", Json{{"start", 0}, {"count", 50}}}});
}

void Goodgame::loginToChannel() {
    Json data = channelData(m_channelID);
    data["hidden"] = false;
    send(Json{{"type", "join"}, {"data", data}});
}

void Goodgame::processMessage(const QString &json, bool in_test) {
    if (json.size() > kMaxFrameBytes) {
        m_deps.logger.log(QStringLiteral("ОШИБКА: кадр GoodGame длиннее %1 КБ, отброшен")
                              .arg(kMaxFrameBytes / 1024),
                          QStringLiteral("error"));
        return releaseHeldLines();
    }
    bool tooDeep = false;
    Json frame = parseJson(json.toUtf8(), &tooDeep);
    if (tooDeep) {
        m_deps.logger.log(QStringLiteral("ОШИБКА: кадр GoodGame вложен глубже %1 уровней, "
                                         "отброшен")
                              .arg(kMaxJsonDepth),
                          QStringLiteral("error"));
        return releaseHeldLines();
    }
    if (frame.is_discarded())
        return;
    m_deps.logger.log(QStringLiteral("Goodgame >> ") + json, QStringLiteral("raw"));
    if (!in_test)
        m_connection.traffic();
    const QString type = textOf(frame, "type");
    if (type == QLatin1String("welcome"))
        m_version = protocolVersion(frame);
    // A probe's answer may come in any state and must not pass for a step of the login.
    if (type == QLatin1String("pong"))
        m_pingAnswered = true;
    if (type == QLatin1String("channel_counters") || type == QLatin1String("pong"))
        return;
    advance(frame, in_test);
}

// Live lines that wait for the history wait no longer: the session ends, or an unreadable
// frame may have been the history.
void Goodgame::releaseHeldLines() {
    if (m_fill.active())
        m_fill.finish(Json());
}

// A test frame is a chat frame whatever the session's state, and moves no watch.
void Goodgame::advance(Json &frame, bool in_test) {
    if (in_test || m_step == Step::Chat) {
        // The frame is done with: its data moves on whole, never copied.
        Json data = frame.is_object() && frame.contains("data") ? std::move(frame["data"]) : Json();
        handleChatFrame(textOf(frame, "type"), data);
        return;
    }
    const Json &data = member(frame, "data");
    if (m_step == Step::Connect) {
        m_step = Step::Auth;
        loginToGoodgame();
    } else if (m_step == Step::Auth) {
        if (!m_channelID || *m_channelID == 0) {
            m_step = Step::Channel;
            getAllChannels();
        } else {
            m_step = Step::Login;
            loginToChannel();
        }
    } else if (m_step == Step::Channel) {
        if (chooseChannel(data)) {
            m_step = Step::Login;
            loginToChannel();
        }
    } else if (m_step == Step::Login) {
        if (joinAnswered(data))
            m_step = Step::Chat;
    }
}

bool Goodgame::chooseChannel(const Json &data) {
    const Json &channels = member(data, "channels");
    if (!channels.is_object() && !channels.is_array())
        return false;
    for (const Json &entry : channels) {
        const Json &name = member(entry, "channel_name");
        if (!name.is_string() || qstr(name.get<std::string>()) != m_channel)
            continue;
        const std::optional<qint64> id = parseInt(jsString(member(entry, "channel_id")));
        if (!id)
            continue;
        m_channelID = id;
        return true;
    }
    return false;
}

bool Goodgame::joinAnswered(const Json &data) {
    if (m_reconnecting) {
        m_reconnecting = false;
        serviceLine(QStringLiteral("- GoodGame: не спим на канале ") + quotedChannel());
        m_connection.joined();
        requestHistory();
        return true;
    }
    const Json &name = member(data, "channel_name");
    if (!name.is_string())
        return false;
    m_channelName = qstr(name.get<std::string>());
    m_channelName.replace(QLatin1String("\r\n"), QLatin1String(" "));
    m_channelName.replace(QLatin1Char('\n'), QLatin1Char(' '));
    serviceLine(QStringLiteral("- GoodGame: заходим на канал ") + quotedChannel());
    m_connection.joined();
    if (jsTruthy(member(data, "smile_only_mode")))
        smileOnlyMode(Json{{"enabled", true}});
    return true;
}

// Only version 2 keeps a history; the first join of a start shows none.
void Goodgame::requestHistory() {
    if (m_version < 2)
        return;
    m_fill.begin(m_deps.clock.now());
    send(Json{{"type", "get_channel_history"}, {"data", channelData(m_channelID)}});
}

// The line's quotes are entities; the channel's name from the server is escaped as text.
QString Goodgame::quotedChannel() const {
    return kLeftQuote + escapeMarkup(m_channelName, MarkupContext::Text) + kRightQuote;
}

void Goodgame::serviceLine(const QString &text) {
    m_deps.sink.serviceLine(text, true);
}

