#include "goodgame.h"

#include "common/clock.h"
#include "common/js.h"
#include "common/logging.h"
#include "common/markup.h"
#include "common/plural.h"
#include "connection/droppedsocket.h"
#include "model/chatsink.h"
#include "net/http.h"
#include "settings/chatstyle.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

#include <QUrlQuery>

namespace {
const QString kLeftQuote = QStringLiteral("&laquo;");
const QString kRightQuote = QStringLiteral("&raquo;");

// The member of a record, or null for anything that is not a record.
const Json &member(const Json &record, const char *key) {
    static const Json none;
    if (!record.is_object())
        return none;
    const auto found = record.find(key);
    return found == record.end() ? none : *found;
}

// A member shown as text: texts as they are, numbers as a script prints them, else empty.
QString textOf(const Json &record, const char *key) {
    const Json &value = member(record, key);
    return value.is_string() || value.is_number() ? jsString(value) : QString();
}

bool numberIs(const Json &value, double expected) {
    const std::optional<double> number = jsNumber(value);
    return number && *number == expected;
}

// Whether a list holds the id, a number and its text counting as the same id.
bool listHas(const Json &list, const QString &id) {
    if (!list.is_array())
        return false;
    for (const Json &item : list) {
        if ((item.is_string() || item.is_number()) && jsString(item) == id)
            return true;
    }
    return false;
}

bool hasOwn(const Json &record, const QString &key) {
    return record.is_object() && record.contains(stdstr(key));
}

const Json &entryOf(const Json &collection, const QString &key) {
    static const Json none;
    if (collection.is_object()) {
        const auto found = collection.find(stdstr(key));
        return found == collection.end() ? none : *found;
    }
    if (collection.is_array()) {
        const std::optional<qint64> index = parseInt(key);
        if (index && *index >= 0 && *index < qint64(collection.size()))
            return collection[std::size_t(*index)];
    }
    return none;
}

// The donor levels, highest first, with the icon each level earns.
struct Level {
    const char *key;
    int level;
    const char *icon;
};
const Level kLevels[] = {{"top-one", 7, "top-one"}, {"undead", 6, "undead"}, {"king", 5, "crown"},
                         {"diamond", 4, "diamond"}, {"gold", 3, "cup"},      {"silver", 2, "eagle"},
                         {"bronze", 1, "coin"}};

const Level *levelOfKey(const QString &key) {
    for (const Level &level : kLevels) {
        if (key == QLatin1String(level.key))
            return &level;
    }
    return nullptr;
}

const Level *levelOfPayments(const Json &payments) {
    for (const Level &level : kLevels) {
        if (numberIs(payments, level.level))
            return &level;
    }
    return nullptr;
}

bool isPremiumKey(const QString &key) {
    return key == QLatin1String("premium") || key == QLatin1String("premium-personal");
}

bool isWordChar(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_');
}

// The next ":name:" at or after `from`: its start and length, or a start of -1.
QPair<int, int> nextSmileCode(const QString &text, int from) {
    for (int start = text.indexOf(QLatin1Char(':'), from); start >= 0;
         start = text.indexOf(QLatin1Char(':'), start + 1)) {
        int end = start + 1;
        while (end < text.size() && isWordChar(text.at(end)))
            ++end;
        if (end > start + 1 && end < text.size() && text.at(end) == QLatin1Char(':'))
            return {start, end + 1 - start};
    }
    return {-1, 0};
}

Smile smileOf(const Json &description) {
    Smile smile;
    smile.animated =
        jsTruthy(member(description, "animated")) ? textOf(description, "img_gif") : QString();
    smile.simple = textOf(description, "img_big");
    smile.channel = jsString(member(description, "channel_id"));
    smile.premium = jsTruthy(member(description, "premium"));
    smile.paid = jsTruthy(member(description, "paid"));
    smile.donat = parseInt(jsString(member(description, "donat")));
    return smile;
}

void storeSmiles(const Json &collection, QHash<QString, Smile> &table) {
    if (!collection.is_object() && !collection.is_array())
        return;
    for (const Json &description : collection) {
        const QString name = textOf(description, "name");
        if (!name.isEmpty())
            table.insert(name, smileOf(description));
    }
}
} // namespace

Goodgame::Goodgame(const GoodgameDeps &deps)
    : ChatService(deps.utils)
    , m_deps(deps)
    , m_connection({[this](bool again) { openSession(again); }, [this] { dropSocket(m_socket); },
                    [this] {
                        sendProbe();
                    }},
                   deps.clock, deps.random) {
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

// Any answer is traffic; the counters themselves are not shown.
void Goodgame::sendProbe() {
    Json data = Json::object();
    data["channel_id"] = m_channelID ? Json(*m_channelID) : Json(nullptr);
    send(Json{{"type", "get_channel_counters"}, {"data", data}});
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
    m_connection.start();
}

void Goodgame::disconnectFromGoodgame() {
    serviceLine(QStringLiteral("- GoodGame: уходим с канала ") + quotedChannel());
    m_connection.stop();
    emit status(QStringLiteral("GoodGame: отключаемся от сервера"));
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
    m_deps.http.postForm(url, body, [this](const HttpReply &reply) {
        if (reply.status != 200)
            return;
        const Json answer = parseJson(reply.body);
        if (!answer.is_object())
            return;
        m_user = member(answer, "user_id");
        m_token = textOf(answer, "token");
        m_step = Step::Auth;
        authorizeOnGoodgame();
    });
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
    Json data = Json::object();
    data["channel_id"] = m_channelID ? Json(*m_channelID) : Json(nullptr);
    data["hidden"] = false;
    send(Json{{"type", "join"}, {"data", data}});
}

void Goodgame::processMessage(const QString &json, bool in_test) {
    bool tooDeep = false;
    Json frame = parseJson(json.toUtf8(), &tooDeep);
    if (tooDeep)
        m_deps.logger.log(QStringLiteral("ОШИБКА: кадр GoodGame вложен глубже %1 уровней, "
                                         "отброшен")
                              .arg(kMaxJsonDepth),
                          QStringLiteral("error"));
    if (frame.is_discarded())
        return;
    m_deps.logger.log(QStringLiteral("Goodgame >> ") + json, QStringLiteral("raw"));
    if (!in_test)
        m_connection.traffic();
    // A probe's answer may come in any state and must not pass for a step of the login.
    if (textOf(frame, "type") == QLatin1String("channel_counters"))
        return;
    advance(frame, in_test);
}

// A test frame is a chat frame whatever the session's state, and moves no watch.
void Goodgame::advance(Json &frame, bool in_test) {
    if (in_test || m_step == Step::Chat) {
        // The frame is done with: its data moves on whole, never copied.
        const QString type = textOf(frame, "type");
        handleChatFrame(type, frame.is_object() && frame.contains("data") ? std::move(frame["data"])
                                                                          : Json());
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
    return true;
}

// The line's quotes are entities; the channel's name from the server is escaped as text.
QString Goodgame::quotedChannel() const {
    return kLeftQuote + escapeMarkup(m_channelName, MarkupContext::Text) + kRightQuote;
}

void Goodgame::serviceLine(const QString &text) {
    m_deps.sink.serviceLine(text, true);
}

void Goodgame::handleChatFrame(const QString &type, Json &&data) {
    if (!data.is_object())
        return;
    if (type == QLatin1String("message"))
        chatMessage(std::move(data));
    else if (type == QLatin1String("remove_message"))
        m_deps.sink.moderate({Moderation::Act::StrikeMessage, id(), textOf(data, "message_id")});
    else if (type == QLatin1String("user_ban"))
        moderation(data, QStringLiteral(" заблокировал пользователя "), true);
    else if (type == QLatin1String("user_warn"))
        moderation(data, QStringLiteral(" вынес предупреждение пользователю "), false);
    else if (type == QLatin1String("premium"))
        premium(data);
    else if (type == QLatin1String("payment"))
        payment(data);
}

void Goodgame::chatMessage(Json &&data) {
    MessageParts parts = placeBadges();
    const QString key = rankOf(data);
    const QString channelId = textOf(data, "channel_id");
    const QString icon = textOf(data, "icon");
    const Json &premiums = member(data, "premiums");
    const Json &resubs = member(data, "resubs");
    const Json &payments = member(data, "payments");

    Author author;
    author.service = id();
    author.messageIds << textOf(data, "message_id");
    if (!icon.isEmpty() && icon != QLatin1String("none")) {
        author.icon = icon;
        if (jsTruthy(member(data, "premium"))) {
            const Json &paymentsAll = member(data, "paymentsAll");
            if (listHas(premiums, channelId) && (hasOwn(resubs, channelId) || jsTruthy(payments))) {
                author.premiumChannel = channelId;
                author.tier = hasOwn(resubs, channelId) ? jsString(entryOf(resubs, channelId))
                                                        : jsString(payments);
            } else if (listHas(premiums, QStringLiteral("0")) &&
                       (hasOwn(resubs, QStringLiteral("0")) ||
                        hasOwn(paymentsAll, QStringLiteral("0")))) {
                const Json &source = hasOwn(resubs, QStringLiteral("0")) ? resubs : paymentsAll;
                author.tier =
                    QStringLiteral("gg-") + jsString(entryOf(source, QStringLiteral("0")));
            }
        }
    }

    MessagePart nick = rankText(key, textOf(data, "user_name"));
    nick.author = author;
    parts << nick << MessagePart::textPart(QStringLiteral(": "));

    SmilePermissions permissions;
    if (premiums.is_array()) {
        for (const Json &id : premiums)
            permissions.premiums << jsString(id);
    }
    permissions.donat = payments;
    permissions.helper = numberIs(member(data, "user_rights"), 10);
    permissions.channel = channelId;
    parts << placeEmotes(textOf(data, "text"), permissions);
    m_deps.sink.chatLine(parts);
}

void Goodgame::moderation(const Json &data, const QString &action, bool withDuration) {
    const QString rank = QStringLiteral("moderator");
    MessageParts parts = placeBadges();
    MessagePart moderator = rankText(rank, textOf(data, "moder_name"));
    Author author;
    author.service = id();
    author.messageIds << QStringLiteral("system");
    author.icon = rank;
    moderator.author = author;
    parts << moderator;
    QString text = action + textOf(data, "user_name");
    const std::optional<double> duration =
        withDuration ? countOf(member(data, "duration")) : std::nullopt;
    if (duration)
        text +=
            QStringLiteral(" на ") + plural(*duration, QStringLiteral("секунду"),
                                            QStringLiteral("секунды"), QStringLiteral("секунд"));
    parts << rankText(rank, text);
    const QString reason = textOf(data, "reason");
    if (!reason.isEmpty())
        parts << rankText(rank, QStringLiteral(" по причине: ") + reason);
    AlertMessage message;
    message.items = parts;
    m_deps.sink.alert(message);
}

MessagePart Goodgame::rankText(const QString &rank, const QString &text) {
    return MessagePart::textPart(text, MessagePart::Tone::Rank, rank);
}

MessagePart Goodgame::kingText(const QString &text) {
    return rankText(QStringLiteral("king"), text);
}

void Goodgame::premium(const Json &data) {
    MessageParts parts = placeBadges();
    parts << kingText(textOf(data, "userName")) << kingText(QStringLiteral(" активировал премиум"));
    const Json &resub = member(data, "resub");
    if (jsNumber(resub).value_or(0) > 1)
        parts << kingText(QStringLiteral(" в ") + jsString(resub) + QStringLiteral("-й раз"));
    AlertMessage message;
    message.items = parts;
    message.service = QStringLiteral("Goodgame");
    message.type = QStringLiteral("premium");
    message.voice = true;
    m_deps.sink.alert(message);
}

void Goodgame::payment(const Json &data) {
    MessageParts parts = placeBadges();
    parts << kingText(textOf(data, "userName"))
          << kingText(QStringLiteral(" поддержал канал на ") + textOf(data, "amount") +
                      QStringLiteral(" руб."));
    const Json &voice = member(data, "voice");
    if (jsTruthy(voice))
        parts << kingText(QStringLiteral(" с голосовым сообщением"));
    const QString text = textOf(data, "message");
    if (!text.isEmpty())
        parts << kingText(QStringLiteral(" и написал: \"") + text + QLatin1Char('"'));
    AlertMessage message;
    message.items = parts;
    message.service = QStringLiteral("Goodgame");
    message.type = QStringLiteral("donation");
    message.voice = true;
    // A voice message is an address; anything else stands for none.
    message.mail = voice.is_string() && jsTruthy(voice) ? jsString(voice) : QString();
    m_deps.sink.alert(message);
}

void Goodgame::loadEmotes() {
    QUrl url = m_deps.endpoints.url(endpoint::goodgameStatic);
    url.setPath(QStringLiteral("/js/minified/global.json"));
    url.setQuery(QString::number(m_deps.clock.now()));
    m_deps.http.get(url, [this](const HttpReply &reply) {
        if (reply.status == 200)
            storeEmotes(reply.body);
    });
}

// A catalogue of the wrong shape keeps the table as it was.
void Goodgame::storeEmotes(const QByteArray &json) {
    const Json global = parseJson(json);
    if (!global.is_object()) {
        const QString line = QStringLiteral("ОШИБКА: каталог смайлов GoodGame не является "
                                            "объектом JSON");
        qCDebug(lcGoodgame).noquote() << line;
        m_deps.logger.log(line, QStringLiteral("error"));
        return;
    }
    QHash<QString, Smile> table;
    storeSmiles(member(global, "Smiles"), table);
    const Json &channels = member(global, "Channel_Smiles");
    if (channels.is_object() || channels.is_array()) {
        for (const Json &collection : channels)
            storeSmiles(collection, table);
    }
    m_emotes = table;
}

MessageParts Goodgame::placeEmotes(const QString &text, const SmilePermissions &permissions) const {
    const bool addressed = isAddressedText(m_deps.utils, text);
    const qint64 now = m_deps.clock.now();
    const auto textPart = [addressed](const QString &value) {
        MessagePart part = MessagePart::textPart(value);
        part.frames = addressed ? MessagePart::Addressed : 0u;
        return part;
    };

    // One pass: `placed` is where the text not yet turned into parts begins.
    MessageParts parts;
    int placed = 0;
    int from = 0;
    for (QPair<int, int> code = nextSmileCode(text, from); code.first >= 0;
         code = nextSmileCode(text, from)) {
        const auto [start, length] = code;
        const QString name = text.mid(start + 1, length - 2);
        const auto found = m_emotes.constFind(name);
        from = start + length;
        if (found == m_emotes.constEnd())
            continue;
        const Smile &smile = *found;
        const bool rightsHere = permissions.channel == smile.channel && permissions.helper;
        const bool premiumOk = permissions.premiums.contains(smile.channel) || rightsHere;
        const std::optional<double> level = jsNumber(entryOf(permissions.donat, smile.channel));
        const bool paidOk = (level && smile.donat && *smile.donat <= *level) || rightsHere;
        bool usable = true;
        bool animated = premiumOk || paidOk;
        if (smile.premium || smile.paid) {
            usable = (smile.premium && premiumOk) || (smile.paid && paidOk);
            animated = usable;
        }
        if (!usable)
            continue;
        const QString url =
            (!smile.animated.isEmpty() && animated ? smile.animated : smile.simple) +
            QLatin1Char('?') + QString::number(now);
        if (start > placed)
            parts << textPart(text.mid(placed, start - placed));
        parts << MessagePart::emote(url, text.mid(start, length),
                                    QStringLiteral("GoodGame: ") + name, id());
        placed = start + length;
    }
    if (placed < text.size())
        parts << textPart(text.mid(placed));
    return parts;
}

MessageParts Goodgame::placeBadges() {
    return {MessagePart::badge(QStringLiteral("qrc:/images/Goodgame.badge.png"),
                               QStringLiteral("GoodGame"))};
}

QString Goodgame::rankOf(Json &data) {
    QString key = textOf(data, "color");
    QString icon = textOf(data, "icon");
    bool keepIcon = true;
    const bool premium = jsTruthy(member(data, "premium"));
    const Json &payments = member(data, "payments");
    const Json &mobile = member(data, "mobile");

    if (icon.isEmpty() && numberIs(mobile, 2)) {
        icon = QStringLiteral("ios");
        keepIcon = false;
    } else if (icon.isEmpty() && numberIs(mobile, 4)) {
        icon = QStringLiteral("android");
        keepIcon = false;
    }

    if (isPremiumKey(key)) {
        if (!premium)
            key.clear();
    } else if (const Level *level = levelOfKey(key)) {
        const std::optional<double> paid = jsNumber(payments);
        if (paid && *paid < level->level) {
            key.clear();
            if (keepIcon)
                icon.clear();
        } else if (icon.isEmpty()) {
            icon = QLatin1String(level->icon);
        }
    }

    if (icon == QLatin1String("star") && !premium)
        icon.clear();
    const bool streamer = numberIs(member(data, "user_rights"), 10);
    if (icon == QLatin1String("moderator") && !numberIs(member(data, "user_rights"), 30))
        icon.clear();

    if (streamer && !(isPremiumKey(key) && premium)) {
        key = QStringLiteral("streamer");
        if (icon.isEmpty())
            icon = QStringLiteral("helper");
    } else if (key.isEmpty()) {
        if (const Level *level = levelOfPayments(payments)) {
            key = QLatin1String(level->key);
        } else if (premium) {
            key = listHas(member(data, "premiums"), textOf(data, "channel_id"))
                      ? QStringLiteral("premium-personal")
                      : QStringLiteral("premium");
            if (icon.isEmpty())
                icon = QStringLiteral("star");
        } else {
            key = QStringLiteral("simple");
        }
    }

    if (icon.isEmpty()) {
        if (const Level *level = levelOfPayments(payments))
            icon = QLatin1String(level->icon);
    }
    if (data.is_object())
        data["icon"] = stdstr(icon);
    return key;
}
