#include "twitch.h"

#include "common/clock.h"
#include "common/js.h"
#include "common/logging.h"
#include "common/markup.h"
#include "common/plural.h"
#include "model/chatsink.h"
#include "services/twitch/bttv.h"
#include "services/twitch/ffz.h"
#include "services/twitch/followersrelay.h"
#include "services/twitch/seventv.h"
#include "services/twitch/twitchkeys.h"
#include "services/twitch/twitchsocket.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

#include <algorithm>

namespace {
QString tag(const TagMap &tags, const char *name) {
    return tags.value(QLatin1String(name));
}

bool hasTag(const TagMap &tags, const char *name) {
    return tags.contains(QLatin1String(name));
}

// A text in the colour the author chose on Twitch.
MessagePart authorText(const TagMap &tags, const QString &text,
                       MessagePart::Manner manner = MessagePart::Manner::Said) {
    return MessagePart::textPart(text, MessagePart::Tone::Author, tag(tags, "color"), manner);
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

// At most `length` characters (a surrogate pair counts once), with "…" when cut.
QString cutText(const QString &text, int length) {
    const QVector<int> offsets = codePointOffsets(text);
    if (offsets.size() - 1 <= length)
        return text;
    return text.left(offsets.at(length)) + QStringLiteral("…");
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

    // A line of a partner channel in a shared chat session: shown, never played as an alert.
    bool shared() const {
        if (tag(tags, "msg-id") == QLatin1String("sharedchatnotice"))
            return true;
        const QString source = tag(tags, "source-room-id");
        return !source.isEmpty() && source != tag(tags, "room-id");
    }

    // A chat line or a notice: what is shown as a line, and what a gap reads back.
    bool chatOrNotice() const {
        return command == QLatin1String("PRIVMSG") || command == QLatin1String("USERNOTICE");
    }

    // The notice's kind; a shared notice carries it in its source tags.
    QString kind() const {
        const QString id = tag(tags, "msg-id");
        return id == QLatin1String("sharedchatnotice") ? tag(tags, "source-msg-id") : id;
    }
};

Twitch::Twitch(const TwitchDeps &deps)
    : ChatService(deps.utils)
    , m_deps(deps)
    , m_connection({[this](bool again) { openSocket(again); }, [this] { m_deps.twitch.stop(); },
                    [this] {
                        sendPing();
                    }},
                   deps.clock, deps.random)
    , m_badges(deps.http, deps.utils, deps.logger, deps.endpoints)
    , m_partners(deps.http, deps.endpoints, deps.logger)
    , m_account(deps.http, deps.clock, deps.endpoints.url(endpoint::twitchIdApi),
                [this] { return clientId(); }, deps.endpoints.word(endpoint::twitchClientId).isEmpty()) {
    connect(&m_badges, &TwitchBadges::status, this, &Twitch::status);
    connectAccount();
    connect(&m_deps.followers, &FollowersRelay::notification, this, &Twitch::newFollower);
    connectSocket();
    superviseLink();
    followRunning();
    declareSettings({{key::twitchAuth, "fields", SettingKind::Record, Json::object(), "twitchAuth"},
                     {key::twitchClientId, "fields", SettingKind::Text, "", "twitchClientId"}});
}

void Twitch::connectSocket() {
    TwitchSocket &socket = m_deps.twitch;
    connect(&socket, &TwitchSocket::connected, this, &Twitch::socketConnected);
    connect(&socket, &TwitchSocket::disconnected, this, &Twitch::socketDisconnected);
    connect(&socket, &TwitchSocket::received, this,
            [this](const QString &line) { processMessage(line); });
    connect(&socket, &TwitchSocket::logging, this,
            [this](const QString &text) { m_deps.logger.log(text, QStringLiteral("raw")); });
    connect(&socket, &TwitchSocket::failure, this,
            [this](const QString &text) { m_deps.logger.log(text, QStringLiteral("error")); });
    connect(&socket, &TwitchSocket::broken, &m_connection, &ServiceConnection::lost);
}

void Twitch::superviseLink() {
    connect(&m_connection, &ServiceConnection::outageBegan, this, [this] {
        emit status(QStringLiteral("Twitch: связь потеряна, переподключаемся"));
        m_deps.sink.serviceLine(QStringLiteral("- Twitch: связь потеряна, переподключаемся"));
    });
    connect(&m_connection, &ServiceConnection::restored, this, [this] {
        m_deps.sink.serviceLine(QStringLiteral("- Twitch: мы не спим на канале #") + m_channelName);
        readGap();
    });
}

// Also when stopped during a wait between attempts, when no socket is left to report it.
void Twitch::stop() {
    if (!running())
        return;
    emit status(QStringLiteral("Twitch: отключаемся от сервера"));
    m_connection.stop();
    leaveChannel();
}

// A reconnection keeps the channel it had and says so once joined (the supervisor's restored).
void Twitch::socketConnected() {
    if (m_reconnecting)
        return;
    enterChannel(m_deps.utils.text(key::twitchChannel));
    m_deps.sink.serviceLine(QStringLiteral("- Twitch: заходим на канал #") + m_channelName);
}

void Twitch::enterChannel(const QString &asTyped) {
    m_channelName = asTyped.trimmed();
    while (m_channelName.startsWith(QLatin1Char('#')))
        m_channelName.remove(0, 1);
}

// An unexpected close is a loss to recover from; only the user's stop leaves the channel.
void Twitch::socketDisconnected() {
    if (m_connection.wanted())
        m_connection.lost();
    else
        emit status(QStringLiteral("Twitch: отключаемся от сервера"));
}

void Twitch::leaveChannel() {
    m_deps.sink.serviceLine(QStringLiteral("- Twitch: уходим с канала #") + m_channelName);
    m_deps.followers.close();
    if (m_eventSub)
        m_eventSub->stop();
    m_followsRefusedSaid = false;
    m_reconnecting = false;
    m_setsRoom = 0; // the next join loads them afresh
}

// From the stored settings, not the fields, which may have been edited since; a login stands
// for the nick and token. Nick and channel are lower-cased as at the first start: Twitch joins
// no channel written with capitals.
void Twitch::openSocket(bool again) {
    if (again) {
        m_reconnecting = true;
        emit status(QStringLiteral("Twitch: переподключаемся к серверу"));
    } else {
        m_gap.started(m_deps.clock.now());
    }
    const Utils &settings = m_deps.utils;
    const bool byLogin = loggedIn() && !m_account.login().isEmpty();
    m_deps.twitch.start(settings.text(key::twitchHost),
                        quint16(parseInt(settings.text(key::twitchPort)).value_or(0)),
                        byLogin ? m_account.login() : settings.text(key::twitchLogin).toLower(),
                        byLogin ? QStringLiteral("oauth:") + m_account.tokens().accessToken
                                : settings.text(key::twitchPassword),
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
    closeExpiredFolds();
    emit status(QStringLiteral("Twitch: ") + message);
    m_deps.logger.log(QStringLiteral("Twitch >> ") + message, QStringLiteral("raw"));
    const Line line = lineOf(message);
    if (!heldForGap(line))
        handle(line);
}

Twitch::Line Twitch::lineOf(const QString &raw) {
    Line line;
    line.raw = raw;
    line.parts = raw.split(QLatin1Char(' '));
    line.command = messageType(line.parts);
    line.commandIndex = line.parts.indexOf(line.command);
    line.user = messageUser(line.parts);
    line.tags = msgTags(line.parts.first().mid(1));
    return line;
}

// While the gap is read back, live chat lines and notices wait behind it; a removal counts.
bool Twitch::heldForGap(const Line &line) {
    if (!m_gap.active())
        return false;
    if (line.command == QLatin1String("CLEARMSG"))
        m_gap.removed(tag(line.tags, "target-msg-id"));
    if (!line.chatOrNotice())
        return false;
    m_gap.hold(line.raw);
    return true;
}

void Twitch::handleRaw(const QString &raw) {
    handle(lineOf(raw));
}

void Twitch::handle(const Line &line) {
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
    if (line.chatOrNotice()) {
        RecentLine shown;
        shown.id = tag(line.tags, "id");
        shown.sentAt = countOf(tag(line.tags, "tmi-sent-ts")).value_or(0);
        m_gap.shown(shown);
    }
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

// An alert of the streamer's channel; a partner channel's event, or one read back from a gap,
// is only shown in the chat.
void Twitch::channelEvent(const Line &line, const QString &type, const MessageParts &parts,
                          std::optional<int> level) {
    if (line.shared() || m_replaying)
        chatLine(line, parts);
    else
        showAlert(type, parts, level);
}

// A line of the chat; one from a partner channel ends with a small mark of its room.
void Twitch::chatLine(const Line &line, MessageParts parts) {
    if (line.shared()) {
        MessagePart mark;
        mark.kind = MessagePart::Kind::SourceMark;
        mark.text = m_partners.nameOf(line.tags.text(QStringLiteral("source-room-id")),
                                      loggedIn() ? eventSubCredentials() : EventSub::Credentials{});
        parts << mark;
    }
    m_deps.sink.chatLine(parts);
}

// What starts every line of a viewer: the message it answers, then the badges.
MessageParts Twitch::linePrefix(const Line &line) const {
    MessageParts parts;
    const QString parentNick = line.tags.text(QStringLiteral("reply-parent-display-name"));
    if (!parentNick.isEmpty()) {
        MessagePart context;
        context.kind = MessagePart::Kind::ReplyContext;
        context.name = parentNick;
        context.text =
            cutText(line.tags.text(QStringLiteral("reply-parent-msg-body")), kReplyLength);
        parts << context;
    }
    return parts << m_badges.placeBadges(line.tags);
}

// The channel's own is the streamer (by badge, or by id where a client sends no badges),
// moderators moderate; subscribers, VIPs and founders are members.
Author::Role Twitch::roleOf(const TagMap &tags) {
    const QString userId = tag(tags, "user-id");
    if (!userId.isEmpty() && userId == tag(tags, "room-id"))
        return Author::Role::Streamer;
    Author::Role role = Author::Role::Viewer;
    for (const QString &badge : tag(tags, "badges").split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = badge.section(QLatin1Char('/'), 0, 0);
        if (name == QLatin1String("broadcaster"))
            return Author::Role::Streamer;
        if (name == QLatin1String("moderator"))
            role = Author::Role::Moderator;
        else if (role == Author::Role::Viewer &&
                 (name == QLatin1String("subscriber") || name == QLatin1String("vip") ||
                  name == QLatin1String("founder")))
            role = Author::Role::Member;
    }
    return role;
}

MessagePart Twitch::nickPart(const Line &line, const QString &text,
                             MessagePart::Manner manner) const {
    MessagePart part = authorText(line.tags, text, manner);
    Author author;
    author.service = id();
    // A notice comes from the server; its viewer is named in the tags.
    author.login =
        line.command == QLatin1String("USERNOTICE") ? tag(line.tags, "login") : line.user;
    author.name = tag(line.tags, "display-name");
    author.messageIds << tag(line.tags, "id");
    author.role = roleOf(line.tags);
    // A moderator of the source channel removes the line by its id there.
    const QString sourceId = tag(line.tags, "source-id");
    if (!sourceId.isEmpty() && sourceId != tag(line.tags, "id"))
        author.messageIds << sourceId;
    part.author = author;
    return part;
}

QList<EmoteRange> Twitch::emotesOf(const TagMap &tags) const {
    return placeEmotes(tag(tags, "emotes"));
}

void Twitch::hostNotice(const Line &line) {
    qCDebug(lcTwitch).noquote() << QStringLiteral("NOTICE: ") + line.raw;
    if (line.trailing() == QLatin1String("Login authentication failed"))
        return loginRefused();
    const QString msgId = tag(line.tags, "msg-id");
    if (msgId != QLatin1String("host_success") && msgId != QLatin1String("host_success_viewers"))
        return;
    const qint64 viewers = numberTag(line.tags, "number").value_or(0);
    MessageParts parts = m_badges.placeBadges(line.tags);
    parts << authorText(line.tags, tag(line.tags, "user"))
          << authorText(line.tags, QStringLiteral(" захостил ваш канал "));
    if (viewers != 0)
        parts << authorText(line.tags,
                            QStringLiteral(" и привёл ") +
                                plural(viewers, QStringLiteral("зрителя"),
                                       QStringLiteral("зрителя"), QStringLiteral("зрителей")));
    showAlert(QStringLiteral("host"), parts);
}

void Twitch::privateMessage(const Line &line) {
    QString text = line.trailing();
    const QString nick = tag(line.tags, "display-name");
    MessageParts parts = linePrefix(line);

    if (text.size() > HOSTING_TAIL.size() && text.endsWith(HOSTING_TAIL)) {
        parts << MessagePart::textPart(
            QStringLiteral("- ") + text.left(text.size() - HOSTING_TAIL.size()) +
                QStringLiteral(" вас захостил!"),
            MessagePart::Tone::Author, {}, MessagePart::Manner::Emphatic);
        channelEvent(line, QStringLiteral("host"), parts);
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
        parts << nickPart(line, nick + QStringLiteral(" прислал ") +
                                    plural(amount, QStringLiteral("битс"), QStringLiteral("битса"),
                                           QStringLiteral("битсов")));
        if (!text.isEmpty()) {
            parts << MessagePart::textPart(QStringLiteral(" и написал: "));
            parts << twitchMessage(text, emotesOf(line.tags));
        }
        channelEvent(line, QStringLiteral("bits"), parts);
        return;
    }

    const bool action = text.startsWith(QStringLiteral("\u0001ACTION"));
    if (action)
        text = text.size() > 8 ? text.mid(8, text.size() - 9) : QString();
    const unsigned lineFrames =
        tag(line.tags, "first-msg") == QLatin1String("1") ? MessagePart::FirstMessage : 0u;
    WordOptions options;
    if (tag(line.tags, "msg-id") == QLatin1String("highlighted-message"))
        options.frames = MessagePart::Highlighted;
    options.frames |= lineFrames;
    if (action) {
        options.tone = MessagePart::Tone::Author;
        options.color = tag(line.tags, "color");
        options.manner = MessagePart::Manner::Action;
    }
    MessagePart nickName = nickPart(line, nick, options.manner);
    nickName.frames = lineFrames;
    MessagePart separator =
        MessagePart::textPart(action ? QStringLiteral(" ") : QStringLiteral(": "), options.tone,
                              options.color, options.manner);
    separator.frames = lineFrames;
    parts << nickName << separator
          << MessagePart::asWords(twitchMessage(text, emotesOf(line.tags), options));
    chatLine(line, parts);
}

// The badges and emote sets of the room, once a join: every mode change carries the room's id
// too, and a mod toggling slow mode must not fetch them all again each time.
void Twitch::loadRoomSets() {
    if (m_setsRoom == m_channelID)
        return;
    m_setsRoom = m_channelID;
    if (loggedIn())
        m_badges.load(m_channelID, clientId(), m_account.tokens().accessToken);
    else
        m_badges.validateToken(m_channelID);
    m_deps.bttv.loadGlobalEmotes();
    m_deps.bttv.loadChannelEmotes(m_channelID);
    m_deps.ffz.loadGlobalEmotes();
    m_deps.ffz.loadChannelEmotes(m_channelID);
    m_deps.sevenTv.loadGlobalEmotes();
    m_deps.sevenTv.loadChannelEmotes(m_channelID);
}

void Twitch::roomState(const Line &line) {
    m_connection.joined();
    if (m_reconnecting) {
        m_reconnecting = false;
        return;
    }
    if (const std::optional<qint64> roomId = numberTag(line.tags, "room-id")) {
        m_channelID = *roomId;
        readFollows();
        loadRoomSets();
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
        const MessagePart::Tone tone = on ? MessagePart::Tone::ModeOn : MessagePart::Tone::ModeOff;
        const MessagePart::Manner note = MessagePart::Manner::Note;
        // The mode's name is quoted with entities: the line is markup, the channel escaped.
        QString text = QStringLiteral("- Twitch: в чате #") +
                       escapeMarkup(m_channelName, MarkupContext::Text) + QLatin1Char(' ') +
                       (on ? QStringLiteral("включен") : QStringLiteral("выключен")) +
                       QString::fromUtf8(mode.text);
        const bool addition = value && *value > 0;
        if (addition && qstrcmp(mode.tag, "slow") == 0)
            text += QStringLiteral(" с паузой в ") + plural(*value, QStringLiteral("секунду"),
                                                            QStringLiteral("секунды"),
                                                            QStringLiteral("секунд"));
        MessageParts parts{MessagePart::textPart(text, tone, {}, note)};
        parts.first().markup = true;
        if (addition && followers)
            parts << MessagePart::textPart(QStringLiteral(" \"возрастом\" от ") +
                                               plural(*value, QStringLiteral("минуты"),
                                                      QStringLiteral("минут"),
                                                      QStringLiteral("минут")),
                                           tone, {}, note);
        m_deps.sink.chatLine(parts);
    }
}

void Twitch::userNotice(const Line &line) {
    using Handler = void (Twitch::*)(const Line &);
    static const QHash<QString, Handler> kinds{
        {QStringLiteral("raid"), &Twitch::raid},
        {QStringLiteral("sub"), &Twitch::subscription},
        {QStringLiteral("resub"), &Twitch::subscription},
        {QStringLiteral("subgift"), &Twitch::subGift},
        {QStringLiteral("anonsubgift"), &Twitch::subGift},
        {QStringLiteral("submysterygift"), &Twitch::giftBomb},
        {QStringLiteral("anonsubmysterygift"), &Twitch::giftBomb},
        {QStringLiteral("announcement"), &Twitch::announcement},
        {QStringLiteral("viewermilestone"), &Twitch::viewerMilestone},
        {QStringLiteral("bitsbadgetier"), &Twitch::bitsBadgeTier},
    };
    if (const Handler handler = kinds.value(line.kind()))
        (this->*handler)(line);
    else
        unknownNotice(line);
}

// A kind Twitch added since: its own words for it, then the viewer's, so nothing is lost.
void Twitch::unknownNotice(const Line &line) {
    m_deps.logger.log(QStringLiteral("Twitch: уведомление неизвестного вида ") + line.kind(),
                      QStringLiteral("debug"));
    const QString said = line.tags.text(QStringLiteral("system-msg")).trimmed();
    if (!said.isEmpty())
        m_deps.sink.serviceLine(said);
    if (line.trailing().isEmpty())
        return;
    MessageParts parts = linePrefix(line);
    parts << nickPart(line, tag(line.tags, "display-name"))
          << MessagePart::textPart(QStringLiteral(": ")) << viewerText(line);
    chatLine(line, parts);
}

MessageParts Twitch::viewerText(const Line &line) const {
    const QString text = line.trailing();
    return text.isEmpty() ? MessageParts{} : twitchMessage(text, emotesOf(line.tags));
}

void Twitch::raid(const Line &line) {
    const TagMap &tags = line.tags;
    const QString color = tag(tags, "color");
    MessageParts parts = linePrefix(line);
    parts << MessagePart::textPart(hasTag(tags, "msg-param-displayName")
                                       ? tag(tags, "msg-param-displayName")
                                       : tag(tags, "display-name"),
                                   MessagePart::Tone::Author, color);
    if (const auto viewers = numberTag(tags, "msg-param-viewerCount"))
        parts << MessagePart::textPart(QStringLiteral(" привёл ") +
                                           plural(*viewers, QStringLiteral("зрителя"),
                                                  QStringLiteral("зрителя"),
                                                  QStringLiteral("зрителей")),
                                       MessagePart::Tone::Author, color);
    channelEvent(line, QStringLiteral("raid"), parts << viewerText(line));
}

void Twitch::subscription(const Line &line) {
    const TagMap &tags = line.tags;
    const QString color = tag(tags, "color");
    QString what = line.kind() == QLatin1String("resub") ? QStringLiteral(" переподписан ")
                                                         : QStringLiteral(" подписан ");
    if (const auto months = numberTag(tags, "msg-param-cumulative-months"))
        what += plural(*months, QStringLiteral("месяц"), QStringLiteral("месяца"),
                       QStringLiteral("месяцев"));
    if (hasTag(tags, "msg-param-streak-months"))
        what += QStringLiteral(", стрик - ") + tag(tags, "msg-param-streak-months");
    if (hasTag(tags, "msg-param-sub-plan"))
        what += QStringLiteral(", уровень ") + subTier(tag(tags, "msg-param-sub-plan"));
    MessageParts parts = linePrefix(line);
    parts << MessagePart::textPart(tag(tags, "display-name"), MessagePart::Tone::Author, color)
          << MessagePart::textPart(what, MessagePart::Tone::Author, color);
    if (!line.trailing().isEmpty())
        parts << MessagePart::textPart(QStringLiteral(": ")) << viewerText(line);
    const int level = hasTag(tags, "msg-param-sub-plan")
                          ? SUB_LEVELS.indexOf(tag(tags, "msg-param-sub-plan"))
                          : -1;
    channelEvent(line, QStringLiteral("subscription"), parts, level);
}

namespace {
// Twitch's gifts without a name: the anonymous kinds, or its stand-in gifter.
bool anonymousGift(const TagMap &tags) {
    return tag(tags, "msg-id").startsWith(QLatin1String("anon")) ||
           tag(tags, "source-msg-id").startsWith(QLatin1String("anon")) ||
           tag(tags, "login") == QLatin1String("ananonymousgifter");
}

QString giftTier(const TagMap &tags) {
    return hasTag(tags, "msg-param-sub-plan")
               ? QStringLiteral(" уровня ") + Twitch::subTier(tag(tags, "msg-param-sub-plan"))
               : QString();
}
} // namespace

// A gift that belongs to an announced bomb joins its fold; one that comes after the fold
// closed is dropped; any other stays an alert of its own.
void Twitch::subGift(const Line &line) {
    const TagMap &tags = line.tags;
    const auto bomb = m_bombs.find(tag(tags, "msg-param-community-gift-id"));
    if (bomb != m_bombs.end()) {
        if (!bomb->closed) {
            bomb->recipients << tags.text(QStringLiteral("msg-param-recipient-display-name"));
            if (bomb->recipients.size() >= bomb->count)
                closeFold(*bomb);
        }
        return;
    }
    const QString color = tag(tags, "color");
    const QString what = QStringLiteral(" подарил подписку") + giftTier(tags) + QLatin1Char(' ') +
                         tag(tags, "msg-param-recipient-display-name");
    MessageParts parts = linePrefix(line);
    parts << MessagePart::textPart(line.kind() == QLatin1String("subgift")
                                       ? tag(tags, "display-name")
                                       : QStringLiteral("Неизвестный"),
                                   MessagePart::Tone::Author, color)
          << MessagePart::textPart(what, MessagePart::Tone::Author, color) << viewerText(line);
    channelEvent(line, QStringLiteral("gift"), parts);
}

// One alert for the whole bomb; its gifts, as they come, fold into one line of names.
void Twitch::giftBomb(const Line &line) {
    const TagMap &tags = line.tags;
    const QString color = tag(tags, "color");
    const QString gifter =
        anonymousGift(tags) ? QStringLiteral("Неизвестный") : tag(tags, "display-name");
    const std::optional<qint64> count = countOf(tag(tags, "msg-param-mass-gift-count"));
    const QString gifts = count ? plural(*count, QStringLiteral("подписку"),
                                         QStringLiteral("подписки"), QStringLiteral("подписок"))
                                : QStringLiteral("подписки");
    MessageParts parts = linePrefix(line);
    parts << MessagePart::textPart(gifter, MessagePart::Tone::Author, color)
          << MessagePart::textPart(QStringLiteral(" дарит ") + gifts + giftTier(tags) +
                                       QLatin1Char('!'),
                                   MessagePart::Tone::Author, color);
    channelEvent(line, QStringLiteral("gift"), parts);

    const QString id = tag(tags, "msg-param-community-gift-id");
    if (count && *count > 0 && !id.isEmpty()) {
        GiftBomb bomb;
        bomb.prefix = m_badges.placeBadges(tags);
        bomb.gifter = gifter;
        bomb.color = color;
        bomb.shared = line.shared() || m_replaying;
        bomb.count = *count;
        bomb.openedAt = m_deps.clock.now();
        m_bombs.insert(id, bomb);
    }
}

// "Подарки от X: A, B, C" with at most twenty names, in the events view.
void Twitch::closeFold(GiftBomb &bomb) {
    bomb.closed = true;
    if (bomb.recipients.isEmpty())
        return;
    const QString names = namesUpTo(bomb.recipients, kFoldNames);
    MessageParts parts = bomb.prefix;
    parts << MessagePart::textPart(QStringLiteral("Подарки от ") + bomb.gifter +
                                       QStringLiteral(": ") + names,
                                   MessagePart::Tone::Author, bomb.color);
    if (bomb.shared) {
        m_deps.sink.chatLine(parts);
        return;
    }
    AlertMessage line;
    line.items = parts;
    m_deps.sink.alert(line);
}

// A fold open past its time is closed with the names it has; a closed one is remembered a
// while longer so its stragglers are still known.
void Twitch::closeExpiredFolds() {
    const qint64 now = m_deps.clock.now();
    for (auto it = m_bombs.begin(); it != m_bombs.end();) {
        const qint64 age = now - it->openedAt;
        if (!it->closed && age >= kFoldMs)
            closeFold(*it);
        if (it->closed && age >= kFoldMemoryMs)
            it = m_bombs.erase(it);
        else
            ++it;
    }
}

void Twitch::tick() {
    closeExpiredFolds();
    if (m_gap.overdue(m_deps.clock.now())) {
        m_deps.logger.log(QStringLiteral("Twitch: пропущенные сообщения не пришли за %1 с")
                              .arg(TwitchGap::kWaitMs / 1000),
                          QStringLiteral("error"));
        ++m_gapRead;
        finishGap({});
    }
    m_connection.tick();
    m_deps.followers.connection().tick();
    m_account.tick();
}

// A coloured frame around the line, "Объявление:" first; no alert.
void Twitch::announcement(const Line &line) {
    static const QStringList colors{QStringLiteral("primary"), QStringLiteral("blue"),
                                    QStringLiteral("green"), QStringLiteral("orange"),
                                    QStringLiteral("purple")};
    QString color = tag(line.tags, "msg-param-color").toLower();
    if (!colors.contains(color))
        color = colors.first();
    const auto framed = [&color](MessagePart part) {
        part.frames = MessagePart::Announcement;
        part.frameColor = color;
        return part;
    };
    // The label goes first, before the badges, so the nick keeps its own tooltip.
    MessageParts parts{framed(MessagePart::textPart(QStringLiteral("Объявление: ")))};
    parts << linePrefix(line) << framed(nickPart(line, tag(line.tags, "display-name")))
          << framed(MessagePart::textPart(QStringLiteral(": ")));
    WordOptions options;
    options.frames = MessagePart::Announcement;
    options.frameColor = color;
    parts << twitchMessage(line.trailing(), emotesOf(line.tags), options);
    chatLine(line, parts);
}

// A notice shown as "<nick> <what>", then the viewer's text when there is one.
void Twitch::noticeLine(const Line &line, const QString &what) {
    const QString color = tag(line.tags, "color");
    MessageParts parts = linePrefix(line);
    parts << MessagePart::textPart(tag(line.tags, "display-name") + what, MessagePart::Tone::Author,
                                   color);
    const MessageParts text = viewerText(line);
    if (!text.isEmpty())
        parts << MessagePart::textPart(QStringLiteral(": ")) << text;
    chatLine(line, parts);
}

void Twitch::viewerMilestone(const Line &line) {
    if (tag(line.tags, "msg-param-category") != QLatin1String("watch-streak"))
        return;
    if (const auto streams = countOf(line.tags.text(QStringLiteral("msg-param-value"))))
        noticeLine(line, QStringLiteral(" смотрит ") + QString::number(*streams) +
                             QStringLiteral("-й стрим подряд"));
}

void Twitch::bitsBadgeTier(const Line &line) {
    if (const auto threshold = countOf(line.tags.text(QStringLiteral("msg-param-threshold"))))
        noticeLine(line, QStringLiteral(" получил значок битсов ") + QString::number(*threshold));
}

void Twitch::clearMessage(const Line &line) {
    m_deps.sink.moderate({Moderation::Act::StrikeMessage, id(), tag(line.tags, "target-msg-id")});
}

void Twitch::clearChat(const Line &line) {
    // With only the channel after the command the whole chat was cleared: nobody is banned.
    if (line.parts.size() <= line.commandIndex + 2) {
        m_deps.sink.serviceLine(QStringLiteral("- Twitch: чат очищен модератором"));
        return;
    }
    const bool tagged = line.parts.first().startsWith(QLatin1Char('@'));
    const QString target = line.parts.last().mid(1);
    if (tagged && hasTag(line.tags, "ban-duration")) {
        QString text = QStringLiteral("- пользователь ") + target + QStringLiteral(" отстранён");
        if (const auto seconds = countOf(tag(line.tags, "ban-duration")))
            text += QStringLiteral(" на ") + plural(*seconds, QStringLiteral("секунду"),
                                                    QStringLiteral("секунды"),
                                                    QStringLiteral("секунд"));
        m_deps.sink.serviceLine(text);
        m_deps.sink.moderate({Moderation::Act::StrikeUser, id(), target});
    } else {
        m_deps.sink.serviceLine(QStringLiteral("- пользователь ") + target +
                                QStringLiteral(" забанен на канале"));
        m_deps.sink.moderate({Moderation::Act::RemoveUser, id(), target});
    }
}

void Twitch::newFollower(const QString &message) {
    const Json body = parseJson(message);
    const Json &data = jsonAt(body, {"data"});
    if (!data.is_array())
        return;
    for (const Json &follower : data) {
        const Json &name = jsonAt(follower, {"from_name"});
        if (name.is_string())
            follow(qstr(name.get<std::string>()));
    }
}

void Twitch::follow(const QString &name) {
    MessageParts parts = m_badges.placeBadges({});
    parts << MessagePart::textPart(QStringLiteral("У нас новый фолловер - ") + name +
                                       QLatin1Char('!'),
                                   MessagePart::Tone::Author, {}, MessagePart::Manner::Emphatic);
    showAlert(QStringLiteral("follow"), parts);
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
    parts << authorText(m_botUserInfo, tag(m_botUserInfo, "display-name"))
          << MessagePart::textPart(QStringLiteral(": ") + text);
    m_deps.sink.chatLine(parts);
    return true;
}

QString Twitch::buildTwitchEmoteURL(const QString &id) const {
    return m_deps.endpoints.url(endpoint::twitchStaticCdn).toString(QUrl::StripTrailingSlash) +
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
        parts << MessagePart::emote(buildTwitchEmoteURL(range.id), emoteText,
                                    QStringLiteral("Twitch: ") + emoteText, id());
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
            if (emote->overlay != MessagePart::Overlay::None && !parts.isEmpty() &&
                parts.last().kind == MessagePart::Kind::Text &&
                parts.last().text == QLatin1String(" "))
                parts.removeLast();
            parts << *emote;
            continue;
        }
        MessagePart part = MessagePart::textPart(word + QLatin1Char(' '), options.tone,
                                                 options.color, options.manner);
        part.frames = options.frames;
        part.frameColor = options.frameColor;
        parts << part;
    }
    return parts;
}
