#include "twitch.h"

#include "chat/chat.h"
#include "chat/markup.h"
#include "common/clock.h"
#include "common/js.h"
#include "common/logging.h"
#include "emotes/bttv.h"
#include "emotes/ffz.h"
#include "emotes/seventv.h"
#include "model/chatsink.h"
#include "net/endpoints.h"
#include "settings/settingstable.h"
#include "settings/utils.h"
#include "shell/botlogger.h"
#include "twitch/twitchsocket.h"

#include <algorithm>

namespace {
const QString kDefaultColor = QStringLiteral("#aaaaaa");

QString tag(const TagMap &tags, const char *name) {
    return tags.value(QLatin1String(name));
}

bool hasTag(const TagMap &tags, const char *name) {
    return tags.contains(QLatin1String(name));
}

QString userColor(const TagMap &tags) {
    const QString color = tag(tags, "color");
    return color.isEmpty() ? kDefaultColor : color;
}

std::optional<qint64> numberTag(const TagMap &tags, const char *name) {
    return parseInt(tag(tags, name));
}

// UTF-16 offsets of each code point, plus one past the end: Twitch counts code points.
QVector<int> codePointOffsets(const QString &text) {
    QVector<int> offsets;
    offsets.reserve(text.size() + 1);
    for (int i = 0; i < text.size(); ++i) {
        offsets << i;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    offsets << text.size();
    return offsets;
}
} // namespace

// One line split the way every handler reads it.
struct Twitch::Line {
    QString raw;
    QStringList parts;
    QString command;
    int commandIndex = -1;
    QString user;
    TagMap tags;

    QString trailing() const {
        const QStringList rest = parts.mid(commandIndex + 2);
        return rest.isEmpty() ? QString() : rest.join(QLatin1Char(' ')).mid(1);
    }
};

Twitch::Twitch(const TwitchDeps &deps)
    : m_deps(deps)
    , m_connection({[this](bool again) { openSocket(again); }, [this] { m_deps.twitch.stop(); },
                    [this] {
                        sendPing();
                    }},
                   deps.clock, deps.random)
    , m_badges(deps.http, deps.utils, deps.logger, deps.endpoints) {
    connect(&m_badges, &TwitchBadges::status, this, &Twitch::status);
}

// From the stored settings, not the fields, which may have been edited since. Nick and channel
// are lower-cased as at the first start: Twitch joins no channel written with capitals.
void Twitch::openSocket(bool again) {
    if (again) {
        m_reconnecting = true;
        emit status(QStringLiteral("Twitch: переподключаемся к серверу"));
    }
    const Utils &settings = m_deps.utils;
    m_deps.twitch.start(settings.text(key::twitchHost),
                        quint16(parseInt(settings.text(key::twitchPort)).value_or(0)),
                        settings.text(key::twitchLogin).toLower(),
                        settings.text(key::twitchPassword),
                        settings.text(key::twitchChannel).toLower());
}

// Twitch answers with PONG, which is traffic like any other line.
void Twitch::sendPing() {
    m_deps.twitch.command(QStringLiteral("PING"), QStringLiteral(":tmi.twitch.tv"));
    m_deps.logger.log(QStringLiteral("Twitch << PING :tmi.twitch.tv"), QStringLiteral("raw"));
}

TagMap Twitch::msgTags(const QString &text) {
    return TagMap(text);
}

QString Twitch::messageType(const QStringList &parts) {
    static const QString prefixes = QStringLiteral("@:-+");
    for (const QString &part : parts) {
        if (part.isEmpty() || !prefixes.contains(part.at(0)))
            return part;
    }
    return QStringLiteral("UNKNOWN");
}

QString Twitch::messageUser(const QStringList &parts) {
    for (const QString &part : parts) {
        if (part.startsWith(QLatin1Char(':'))) {
            const int bang = part.indexOf(QLatin1Char('!'));
            return bang < 0 ? part.mid(1) : part.mid(1, bang - 1);
        }
    }
    return {};
}

QString Twitch::subTier(const QString &tier) {
    if (tier == QLatin1String("1000"))
        return QStringLiteral("1");
    if (tier == QLatin1String("2000"))
        return QStringLiteral("2");
    if (tier == QLatin1String("3000"))
        return QStringLiteral("3");
    return QStringLiteral("Прайм");
}

void Twitch::processMessage(const QString &message, bool in_test) {
    if (!in_test)
        m_connection.traffic();
    emit status(QStringLiteral("Twitch: ") + message);
    m_deps.logger.log(QStringLiteral("Twitch >> ") + message, QStringLiteral("raw"));

    Line line;
    line.raw = message;
    line.parts = message.split(QLatin1Char(' '));
    line.command = messageType(line.parts);
    line.commandIndex = line.parts.indexOf(line.command);
    line.user = messageUser(line.parts);
    line.tags = msgTags(line.parts.first().mid(1));

    using Handler = void (Twitch::*)(const Line &);
    static const QHash<QString, Handler> handlers{
        {QStringLiteral("PING"), &Twitch::pong},
        {QStringLiteral("RECONNECT"), &Twitch::serverReconnect},
        {QStringLiteral("NOTICE"), &Twitch::hostNotice},
        {QStringLiteral("PRIVMSG"), &Twitch::privateMessage},
        {QStringLiteral("ROOMSTATE"), &Twitch::roomState},
        {QStringLiteral("USERSTATE"), &Twitch::userState},
        {QStringLiteral("USERNOTICE"), &Twitch::userNotice},
        {QStringLiteral("CLEARMSG"), &Twitch::clearMessage},
        {QStringLiteral("CLEARCHAT"), &Twitch::clearChat},
    };
    if (const Handler handler = handlers.value(line.command))
        (this->*handler)(line);
}

void Twitch::pong(const Line &line) {
    m_deps.twitch.command(QStringLiteral("PONG"), line.parts.last());
    m_deps.logger.log(QStringLiteral("Twitch << PONG ") + line.parts.last(), QStringLiteral("raw"));
}

void Twitch::serverReconnect(const Line &) {
    m_connection.reconnectNow();
}

// Our own nick's tags, for the lines the streamer writes.
void Twitch::userState(const Line &line) {
    m_botUserInfo = line.tags;
}

void Twitch::showAlert(const QString &type, const MessageParts &items, std::optional<int> level) {
    AlertMessage alert;
    alert.items = items;
    alert.service = QStringLiteral("Twitch");
    alert.type = type;
    alert.level = level;
    alert.voice = type != QLatin1String("follow");
    m_deps.sink.alert(alert);
}

MessagePart Twitch::nickPart(const Line &line, const QString &text, const QString &style) const {
    MessagePart part = MessagePart::textPart(text, userColor(line.tags), style);
    const QString nick = tag(line.tags, "display-name");
    part.title = nick.toLower() != line.user ? QStringLiteral("User: ") + line.user : QString();
    part.classes =
        QStringList{QStringLiteral("user_nick"), QStringLiteral("twitch-nick-") + line.user};
    part.msg_id = QStringLiteral("twitch-") + tag(line.tags, "id");
    return part;
}

QList<EmoteRange> Twitch::emotesOf(const TagMap &tags) const {
    return placeEmotes(tag(tags, "emotes"));
}

void Twitch::hostNotice(const Line &line) {
    qCDebug(lcTwitch).noquote() << QStringLiteral("NOTICE: ") + line.raw;
    const QString msgId = tag(line.tags, "msg-id");
    if (msgId != QLatin1String("host_success") && msgId != QLatin1String("host_success_viewers"))
        return;
    const qint64 viewers = numberTag(line.tags, "number").value_or(0);
    const QString color = userColor(line.tags);
    MessageParts parts = m_badges.placeBadges(line.tags);
    parts << MessagePart::textPart(tag(line.tags, "user"), color)
          << MessagePart::textPart(QStringLiteral(" захостил ваш канал "), color);
    if (viewers != 0)
        parts << MessagePart::textPart(QStringLiteral(" и привёл ") +
                                           Chat::plural(viewers, QStringLiteral("зрителя"),
                                                        QStringLiteral("зрителя"),
                                                        QStringLiteral("зрителей")),
                                       color);
    showAlert(QStringLiteral("host"), parts);
}

void Twitch::privateMessage(const Line &line) {
    QString text = line.trailing();
    const QString nick = tag(line.tags, "display-name");
    MessageParts parts = m_badges.placeBadges(line.tags);

    if (text.size() > HOSTING_TAIL.size() && text.endsWith(HOSTING_TAIL)) {
        parts << MessagePart::textPart(QStringLiteral("- ") +
                                           text.left(text.size() - HOSTING_TAIL.size()) +
                                           QStringLiteral(" вас захостил!"),
                                       kDefaultColor, QStringLiteral("bold"));
        showAlert(QStringLiteral("host"), parts);
        return;
    }
    if (hasTag(line.tags, "bits")) {
        // A piece out of range, negative or not a number counts for nothing.
        qint64 amount = 0;
        for (const QString &bits : tag(line.tags, "bits").split(QLatin1Char(','))) {
            const qint64 piece = countOf(bits.trimmed()).value_or(0);
            if (piece <= kMaxSafeInteger - amount)
                amount += piece;
        }
        parts << nickPart(line,
                          nick + QStringLiteral(" прислал ") +
                              Chat::plural(amount, QStringLiteral("битс"), QStringLiteral("битса"),
                                           QStringLiteral("битсов")),
                          QString());
        if (!text.isEmpty()) {
            parts << MessagePart::textPart(QStringLiteral(" и написал: "));
            parts << twitchMessage(text, emotesOf(line.tags));
        }
        showAlert(QStringLiteral("bits"), parts);
        return;
    }

    QString style;
    if (text.startsWith(QStringLiteral("\u0001ACTION"))) {
        text = text.size() > 8 ? text.mid(8, text.size() - 9) : QString();
        style = QStringLiteral("italic");
    }
    const bool addressed = m_deps.utils.isAddressedText(text);
    const bool highlighted = tag(line.tags, "msg-id") == QLatin1String("highlighted-message");
    const QString color = userColor(line.tags);
    parts << nickPart(line, nick, style);
    parts << MessagePart::textPart(style.isEmpty() ? QStringLiteral(": ") : QStringLiteral(" "),
                                   style.isEmpty() ? QString() : color, style);
    WordOptions options;
    if (highlighted)
        options.classes = QStringList{QStringLiteral("highlighted")};
    else if (addressed)
        options.classes = QStringList{QStringLiteral("addressed")};
    options.color = style.isEmpty() ? QString() : color;
    options.style = style;
    parts << twitchMessage(text, emotesOf(line.tags), options);
    m_deps.sink.chatLine(parts);
}

void Twitch::roomState(const Line &line) {
    m_connection.joined();
    if (m_reconnecting) {
        m_reconnecting = false;
        return;
    }
    if (const std::optional<qint64> roomId = numberTag(line.tags, "room-id")) {
        m_channelID = *roomId;
        emit channelJoined(m_channelID);
        m_badges.validateToken(m_channelID);
        m_deps.bttv.loadGlobalEmotes();
        m_deps.bttv.loadChannelEmotes(m_channelID);
        m_deps.ffz.loadGlobalEmotes();
        m_deps.ffz.loadChannelEmotes(m_channelID);
        m_deps.sevenTv.loadGlobalEmotes();
        m_deps.sevenTv.loadChannelEmotes(m_channelID);
    }

    struct Mode {
        const char *tag;
        const char *text;
    };
    static const Mode modes[] = {
        {"emote-only", " режим &laquo;Только смайлики&raquo;"},
        {"followers-only", " режим &laquo;Только для фолловеров&raquo;"},
        {"r9k", " режим &laquo;Уникальные сообщения&raquo;"},
        {"slow", " режим &laquo;Медленный чат&raquo;"},
        {"subs-only", " режим &laquo;Только для подписчиков&raquo;"},
    };
    for (const Mode &mode : modes) {
        if (!hasTag(line.tags, mode.tag))
            continue;
        const std::optional<qint64> value = numberTag(line.tags, mode.tag);
        const bool followers = qstrcmp(mode.tag, "followers-only") == 0;
        const bool on = value && (followers ? *value >= 0 : *value != 0);
        const QString color = on ? QStringLiteral("#844") : QStringLiteral("#484");
        const QString italic = QStringLiteral("italic");
        // The mode's name is quoted with entities: the line is markup, the channel escaped.
        QString text = QStringLiteral("- Twitch: в чате #") +
                       escapeMarkup(m_channelName, MarkupContext::Text) + QLatin1Char(' ') +
                       (on ? QStringLiteral("включен") : QStringLiteral("выключен")) +
                       QString::fromUtf8(mode.text);
        const bool addition = value && *value > 0;
        if (addition && qstrcmp(mode.tag, "slow") == 0)
            text += QStringLiteral(" с паузой в ") + Chat::plural(*value, QStringLiteral("секунду"),
                                                                  QStringLiteral("секунды"),
                                                                  QStringLiteral("секунд"));
        MessageParts parts{MessagePart::textPart(text, color, italic)};
        parts.first().markup = true;
        if (addition && followers)
            parts << MessagePart::textPart(QStringLiteral(" \"возрастом\" от ") +
                                               Chat::plural(*value, QStringLiteral("минуты"),
                                                            QStringLiteral("минут"),
                                                            QStringLiteral("минут")),
                                           color, italic);
        m_deps.sink.chatLine(parts);
    }
}

void Twitch::userNotice(const Line &line) {
    const TagMap &tags = line.tags;
    const QString msgId = tag(tags, "msg-id");
    const QString text = line.trailing();
    const QString color = userColor(tags);
    const MessageParts viewerText =
        text.isEmpty() ? MessageParts{} : twitchMessage(text, emotesOf(tags));
    MessageParts parts = m_badges.placeBadges(tags);

    if (msgId == QLatin1String("raid")) {
        parts << MessagePart::textPart(hasTag(tags, "msg-param-displayName")
                                           ? tag(tags, "msg-param-displayName")
                                           : tag(tags, "display-name"),
                                       color);
        if (const auto viewers = numberTag(tags, "msg-param-viewerCount"))
            parts << MessagePart::textPart(QStringLiteral(" привёл ") +
                                               Chat::plural(*viewers, QStringLiteral("зрителя"),
                                                            QStringLiteral("зрителя"),
                                                            QStringLiteral("зрителей")),
                                           color);
        showAlert(QStringLiteral("raid"), parts << viewerText);
    } else if (msgId == QLatin1String("sub") || msgId == QLatin1String("resub")) {
        QString what = msgId == QLatin1String("resub") ? QStringLiteral(" переподписан ")
                                                       : QStringLiteral(" подписан ");
        if (const auto months = numberTag(tags, "msg-param-cumulative-months"))
            what += Chat::plural(*months, QStringLiteral("месяц"), QStringLiteral("месяца"),
                                 QStringLiteral("месяцев"));
        if (hasTag(tags, "msg-param-streak-months"))
            what += QStringLiteral(", стрик - ") + tag(tags, "msg-param-streak-months");
        if (hasTag(tags, "msg-param-sub-plan"))
            what += QStringLiteral(", уровень ") + subTier(tag(tags, "msg-param-sub-plan"));
        parts << MessagePart::textPart(tag(tags, "display-name"), color)
              << MessagePart::textPart(what, color);
        if (!text.isEmpty())
            parts << MessagePart::textPart(QStringLiteral(": ")) << viewerText;
        const int level = hasTag(tags, "msg-param-sub-plan")
                              ? SUB_LEVELS.indexOf(tag(tags, "msg-param-sub-plan"))
                              : -1;
        showAlert(QStringLiteral("subscription"), parts, level);
    } else if (msgId == QLatin1String("subgift") || msgId == QLatin1String("anonsubgift")) {
        QString what = QStringLiteral(" подарил подписку ");
        if (hasTag(tags, "msg-param-sub-plan"))
            what += QStringLiteral("уровня ") + subTier(tag(tags, "msg-param-sub-plan")) +
                    QLatin1Char(' ');
        what += tag(tags, "msg-param-recipient-display-name");
        parts << MessagePart::textPart(msgId == QLatin1String("subgift")
                                           ? tag(tags, "display-name")
                                           : QStringLiteral("Неизвестный"),
                                       color)
              << MessagePart::textPart(what, color) << viewerText;
        showAlert(QStringLiteral("gift"), parts);
    }
}

void Twitch::clearMessage(const Line &line) {
    m_deps.sink.moderate({Moderation::Act::StrikeMessage,
                          QStringLiteral("twitch-") + tag(line.tags, "target-msg-id")});
}

void Twitch::clearChat(const Line &line) {
    // With only the channel after the command the whole chat was cleared: nobody is banned.
    if (line.parts.size() <= line.commandIndex + 2) {
        m_deps.sink.serviceLine(QStringLiteral("- Twitch: чат очищен модератором"));
        return;
    }
    const bool tagged = line.parts.first().startsWith(QLatin1Char('@'));
    const QString target = line.parts.last().mid(1);
    const QString userClass = QStringLiteral("twitch-nick-") + target;
    if (tagged && hasTag(line.tags, "ban-duration")) {
        QString text = QStringLiteral("- пользователь ") + target + QStringLiteral(" отстранён");
        if (const auto seconds = countOf(tag(line.tags, "ban-duration")))
            text += QStringLiteral(" на ") + Chat::plural(*seconds, QStringLiteral("секунду"),
                                                          QStringLiteral("секунды"),
                                                          QStringLiteral("секунд"));
        m_deps.sink.serviceLine(text);
        m_deps.sink.moderate({Moderation::Act::StrikeUser, userClass});
    } else {
        m_deps.sink.serviceLine(QStringLiteral("- пользователь ") + target +
                                QStringLiteral(" забанен на канале"));
        m_deps.sink.moderate({Moderation::Act::RemoveUser, userClass});
    }
}

void Twitch::newFollower(const QString &message) {
    const Json body = parseJson(message);
    const Json &data = jsonAt(body, {"data"});
    if (!data.is_array())
        return;
    for (const Json &follower : data) {
        const Json &name = jsonAt(follower, {"from_name"});
        if (!name.is_string())
            continue;
        MessageParts parts = m_badges.placeBadges({});
        parts << MessagePart::textPart(QStringLiteral("У нас новый фолловер - ") +
                                           qstr(name.get<std::string>()) + QLatin1Char('!'),
                                       kDefaultColor, QStringLiteral("bold"));
        showAlert(QStringLiteral("follow"), parts);
    }
}

bool Twitch::sendMessageToChat(const QString &typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return false;
    m_deps.twitch.chat(text);
    m_deps.logger.log(QStringLiteral("Twitch << PRIVMSG #") + m_channelName + QStringLiteral(" :") +
                          text,
                      QStringLiteral("raw"));
    MessageParts parts = m_badges.placeBadges(m_botUserInfo);
    parts << MessagePart::textPart(tag(m_botUserInfo, "display-name"), userColor(m_botUserInfo))
          << MessagePart::textPart(QStringLiteral(": ") + text);
    m_deps.sink.chatLine(parts);
    return true;
}

QString Twitch::buildTwitchEmoteURL(const QString &id) const {
    return m_deps.endpoints.twitchStaticCdn.toString(QUrl::StripTrailingSlash) +
           QStringLiteral("/emoticons/v2/") + id + QStringLiteral("/default/dark/1.0");
}

QList<EmoteRange> Twitch::placeEmotes(const QString &emotes) {
    QList<EmoteRange> ranges;
    if (emotes.isEmpty())
        return ranges;
    for (const QString &group : emotes.split(QLatin1Char('/'))) {
        std::optional<QString> id;
        for (const QString &element : group.split(QLatin1Char(','))) {
            QString range = element;
            const int colon = element.indexOf(QLatin1Char(':'));
            if (colon >= 0) {
                id = element.left(colon);
                range = element.mid(colon + 1).section(QLatin1Char(':'), 0, 0);
            }
            if (!id)
                continue;
            const QStringList ends = range.split(QLatin1Char('-'));
            const auto bpos = parseInt(ends.value(0));
            const auto epos = parseInt(ends.value(1));
            // Ranges without numbers are left out.
            if (bpos && epos)
                ranges << EmoteRange{int(qBound<qint64>(-1, *bpos, INT_MAX)),
                                     int(qBound<qint64>(-1, *epos, INT_MAX)), *id};
        }
    }
    std::stable_sort(ranges.begin(), ranges.end(),
                     [](const EmoteRange &a, const EmoteRange &b) { return a.bpos < b.bpos; });
    return ranges;
}

MessageParts Twitch::twitchMessage(const QString &text, const QList<EmoteRange> &emotes,
                                   const WordOptions &options) const {
    const QVector<int> offsets = codePointOffsets(text);
    const int length = offsets.size() - 1;
    MessageParts parts;
    int cursor = 0;
    for (const EmoteRange &range : emotes) {
        // Ranges outside the text, backwards or overlapping an earlier one are left out.
        if (range.bpos < cursor || range.epos < range.bpos || range.epos >= length)
            continue;
        const int begin = offsets.at(range.bpos);
        const int end = offsets.at(range.epos + 1);
        const QString emoteText = text.mid(begin, end - begin);
        parts << getExternalEmotes(text.mid(offsets.at(cursor), begin - offsets.at(cursor)),
                                   options);
        parts << MessagePart::image(buildTwitchEmoteURL(range.id),
                                    {QStringLiteral("emote"), QStringLiteral("twitch")},
                                    QStringLiteral("Twitch: ") + emoteText, emoteText);
        cursor = range.epos + 1;
    }
    parts << getExternalEmotes(text.mid(offsets.at(cursor)), options);
    return parts;
}

MessageParts Twitch::getExternalEmotes(const QString &text, const WordOptions &options) const {
    MessageParts parts;
    for (const QString &word : text.split(QLatin1Char(' '))) {
        std::optional<MessagePart> emote = m_deps.bttv.placeEmotes(word);
        if (!emote)
            emote = m_deps.ffz.placeEmotes(word);
        if (!emote)
            emote = m_deps.sevenTv.placeEmotes(word);
        if (emote) {
            if (emote->classes.size() > 1 && !parts.isEmpty() &&
                parts.last().type == QLatin1String("text") &&
                parts.last().text == QLatin1String(" "))
                parts.removeLast();
            parts << *emote;
            continue;
        }
        MessagePart part =
            MessagePart::textPart(word + QLatin1Char(' '), options.color, options.style);
        part.classes = options.classes;
        parts << part;
    }
    return parts;
}
