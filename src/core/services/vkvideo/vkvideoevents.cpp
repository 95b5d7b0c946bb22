// VK Video Live's events: chat messages as lines, deletions as strikes, follows and raids as
// alerts, reward demands as lines; an unknown kind is said once and skipped.
#include "services/vkvideo/vkvideo.h"

#include "common/js.h"
#include "common/plural.h"
#include "model/chatsink.h"
#include "shell/botlogger.h"

using js::member;
using js::textOf;

namespace {
// The site's sixteen nick colours, as readable on the chat's dark background.
const char *const kNickColors[16] = {
    "#d63e3e", "#e07d2b", "#d4b52c", "#7bb03c", "#3cae6a", "#2fb1a4", "#3a9fd6", "#5a7de0",
    "#8e6ae0", "#b865d6", "#d65aa8", "#e0667a", "#a08a6e", "#8fa3b5", "#c7a0e8", "#9ccf8b"};

QString nickColor(const Json &author) {
    const std::optional<double> index = jsNumber(member(author, "nick_color"));
    return index && *index >= 0 && *index < 16 ? QLatin1String(kNickColors[int(*index)])
                                               : QString();
}

// Ids are 64-bit numbers; as text they stay exact.
QString idOf(const Json &value) {
    if (value.is_number_integer())
        return QString::number(value.get<qint64>());
    return jsString(value);
}

MessagePart ownBadge() {
    return MessagePart::serviceBadge(QStringLiteral("vkvideo"), QStringLiteral("VK Video Live"));
}
} // namespace

void VkVideo::publication(const QString &, const Json &data) {
    if (m_step != Step::Live)
        return;
    const QString type = textOf(data, "type");
    const Json &event = member(data, "data");
    if (type == QLatin1String("channel_chat_message_send"))
        return liveMessage(member(event, "chat_message"));
    if (type == QLatin1String("channel_chat_message_delete")) {
        const QString message = idOf(member(member(event, "chat_message"), "id"));
        m_fill.removed(message);
        return m_deps.sink.moderate({Moderation::Act::StrikeMessage, id(), message});
    }
    if (type == QLatin1String("channel_follow_create"))
        return follow(event);
    if (type == QLatin1String("channel_raid_income"))
        return raid(event);
    if (type == QLatin1String("channel_points_reward_demand_create"))
        return reward(member(event, "demand"));
    unknownEvent(type);
}

void VkVideo::unknownEvent(const QString &type) {
    if (m_unknownSaid.contains(type))
        return;
    m_unknownSaid.insert(type);
    m_deps.logger.log(QStringLiteral("VK Video Live: событие «%1» не знаем, пропускаем").arg(type),
                      QStringLiteral("error"));
}

// The badges and roles as images before the nick, then the nick in its colour.
MessageParts VkVideo::authorParts(const Json &author, const QString &messageId) const {
    MessageParts parts{ownBadge()};
    for (const char *list : {"badges", "roles"}) {
        for (const Json &badge : member(author, list)) {
            const QString url = textOf(badge, "small_url");
            if (url.startsWith(QLatin1String("https://")))
                parts << MessagePart::badge(url, textOf(badge, "name"));
        }
    }
    const QString nick = textOf(author, "nick");
    MessagePart name = MessagePart::textPart(nick, MessagePart::Tone::Author, nickColor(author));
    Author who;
    who.service = id();
    who.login = nick.toLower();
    who.name = nick;
    if (!messageId.isEmpty())
        who.messageIds << messageId;
    const auto flag = [&author](const char *name) {
        return member(author, name).is_boolean() && member(author, name).get<bool>();
    };
    // A badge or a role (a subscriber's, a VIP's) makes a member of the channel.
    const bool member = parts.size() > 1;
    who.role = flag("is_owner")       ? Author::Role::Streamer
               : flag("is_moderator") ? Author::Role::Moderator
               : member               ? Author::Role::Member
                                      : Author::Role::Viewer;
    name.author = who;
    parts << name;
    return parts;
}

// Text as text, smiles as images, mentions as "@nick", links as their text.
MessageParts VkVideo::wordsOf(const Json &parts) const {
    MessageParts words;
    for (const Json &part : parts) {
        if (const Json &text = member(part, "text"); text.is_object()) {
            words << MessagePart::textPart(textOf(text, "content"));
        } else if (const Json &smile = member(part, "smile"); smile.is_object()) {
            const QString url = textOf(smile, "small_url");
            const QString name = textOf(smile, "name");
            words << (url.startsWith(QLatin1String("https://"))
                          ? MessagePart::emote(url, name, QStringLiteral("VK Video Live: ") + name,
                                               id())
                          : MessagePart::textPart(name));
        } else if (const Json &mention = member(part, "mention"); mention.is_object()) {
            words << MessagePart::textPart(QLatin1Char('@') + textOf(mention, "nick"));
        } else if (const Json &link = member(part, "link"); link.is_object()) {
            const QString content = textOf(link, "content");
            words << MessagePart::textPart(content.isEmpty() ? textOf(link, "url") : content);
        }
    }
    return MessagePart::asWords(words);
}

// While the missed lines are read, a live one waits behind them.
void VkVideo::liveMessage(Json message) {
    m_fill.live(std::move(message));
}

// A private message is for its addressee's own chat window only.
void VkVideo::chatMessage(const Json &message) {
    if (!message.is_object() ||
        (member(message, "is_private").is_boolean() && member(message, "is_private").get<bool>()))
        return;
    MessageParts parts = authorParts(member(message, "author"), idOf(member(message, "id")));
    parts << MessagePart::textPart(QStringLiteral(": ")) << wordsOf(member(message, "parts"));
    m_deps.sink.chatLine(parts);
}

// An alert in the events' colour, with its sound slot's kind; its words are read aloud.
void VkVideo::eventAlert(const QString &type, const QString &text) {
    AlertMessage alert;
    alert.items = {ownBadge(),
                   MessagePart::textPart(text, MessagePart::Tone::Rank, QStringLiteral("king"))};
    alert.service = title();
    alert.type = type;
    alert.voice = true;
    m_deps.sink.alert(alert);
}

void VkVideo::follow(const Json &data) {
    eventAlert(QStringLiteral("follow"),
               QStringLiteral("У нас новый фолловер на VK Video Live - ") +
                   textOf(member(data, "user"), "nick") + QLatin1Char('!'));
}

// Who raids is the raiding channel's nick, or its user's; the count when one comes.
void VkVideo::raid(const Json &data) {
    const Json &from = member(data, "raid");
    const Json &source = from.is_object() ? from : data;
    QString text = textOf(member(source, "channel"), "nick");
    if (text.isEmpty())
        text = textOf(member(source, "user"), "nick");
    text += QStringLiteral(" пришёл с рейдом");
    if (const std::optional<double> viewers = jsNumber(member(source, "viewers")))
        text += QStringLiteral(" и привёл ") + plural(qint64(*viewers), QStringLiteral("зрителя"),
                                                      QStringLiteral("зрителя"),
                                                      QStringLiteral("зрителей"));
    eventAlert(QStringLiteral("raid"), text);
}

void VkVideo::reward(const Json &demand) {
    MessageParts parts = authorParts(member(demand, "user"), {});
    parts << MessagePart::textPart(QStringLiteral(" получает награду «") +
                                   textOf(member(demand, "reward"), "name") + QStringLiteral("»"));
    const MessageParts words = wordsOf(member(demand, "message_parts"));
    if (!words.isEmpty())
        parts << MessagePart::textPart(QStringLiteral(": ")) << words;
    m_deps.sink.chatLine(parts);
}
