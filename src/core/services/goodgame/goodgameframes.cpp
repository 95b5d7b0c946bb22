// The frames of the joined chat: lines, moderation, and the channel's alerts.
#include "services/goodgame/goodgame.h"

#include "common/logging.h"
#include "common/markup.h"
#include "common/plural.h"
#include "model/chatsink.h"
#include "services/goodgame/goodgamejson.h"
#include "shell/botlogger.h"

#include <QHash>

using gg::entryOf;
using gg::hasOwn;
using gg::listHas;
using gg::member;
using gg::numberIs;
using gg::textOf;

namespace {
// How many names the line of gifted premiums lists.
constexpr int kGiftNames = 20;

// A ban's kind in version 2; a frame without one is a ban for its duration.
enum BanKind { Timed = 0, UntilStreamEnds = 1, Forever = 2 };

QString smileOnlyLine(bool on) {
    return on ? QStringLiteral("- GoodGame: в чате только смайлы")
              : QStringLiteral("- GoodGame: в чате снова можно писать текст");
}

// The first non-empty of the members, as text.
QString firstText(const Json &data, std::initializer_list<const char *> keys) {
    for (const char *key : keys) {
        const QString text = textOf(data, key);
        if (!text.isEmpty())
            return text;
    }
    return {};
}
} // namespace

void Goodgame::handleChatFrame(const QString &type, Json &data) {
    if (!data.is_object())
        return;
    using Handler = void (Goodgame::*)(const Json &);
    static const QHash<QString, Handler> handlers{
        {QStringLiteral("remove_message"), &Goodgame::removeMessage},
        {QStringLiteral("user_ban"), &Goodgame::ban},
        {QStringLiteral("user_warn"), &Goodgame::warn},
        {QStringLiteral("premium"), &Goodgame::premium},
        {QStringLiteral("payment"), &Goodgame::payment},
        {QStringLiteral("follower"), &Goodgame::follower},
        {QStringLiteral("gifted_premiums"), &Goodgame::giftedPremiums},
        {QStringLiteral("teleport_aim"), &Goodgame::teleport},
        {QStringLiteral("set_smile_only_mode"), &Goodgame::smileOnlyMode},
        {QStringLiteral("error"), &Goodgame::serverError},
        {QStringLiteral("channel_history"), &Goodgame::channelHistory}};
    if (type == QLatin1String("message"))
        return liveMessage(data);
    if (const Handler handler = handlers.value(type))
        (this->*handler)(data);
}

// While the missed lines are fetched, a live one waits behind them.
void Goodgame::liveMessage(Json &data) {
    m_fill.live(std::move(data));
}

void Goodgame::chatMessage(const Json &data) {
    MessageParts parts = placeBadges();
    QString icon;
    const QString key = rankOf(data, icon);
    const QString channelId = textOf(data, "channel_id");
    const Json &premiums = member(data, "premiums");
    const Json &resubs = member(data, "resubs");
    const Json &payments = member(data, "payments");

    Author author;
    author.service = id();
    author.messageIds << textOf(data, "message_id");
    author.role = roleOf(data);
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
    // Version 2 sends the text HTML-escaped; it is shown as the viewer typed it.
    const QString text = textOf(data, "text");
    parts << MessagePart::asWords(
        placeEmotes(m_version >= 2 ? decodeEntities(text) : text, permissions));
    m_deps.sink.chatLine(parts);
}

// 20 is the channel's streamer, 30 and up moderate; a premium of the channel or a helper is a
// member.
Author::Role Goodgame::roleOf(const Json &data) {
    const double rights = jsNumber(member(data, "user_rights")).value_or(0);
    if (rights == 20)
        return Author::Role::Streamer;
    if (rights >= 30)
        return Author::Role::Moderator;
    if (rights >= 10 || (jsTruthy(member(data, "premium")) &&
                         listHas(member(data, "premiums"), textOf(data, "channel_id"))))
        return Author::Role::Member;
    return Author::Role::Viewer;
}

void Goodgame::removeMessage(const Json &data) {
    const QString message = textOf(data, "message_id");
    m_fill.removed(message);
    m_deps.sink.moderate({Moderation::Act::StrikeMessage, id(), message});
}

void Goodgame::ban(const Json &data) {
    QString text = QStringLiteral(" заблокировал пользователя ") + textOf(data, "user_name");
    const std::optional<double> kind = jsNumber(member(data, "type"));
    if (kind == double(UntilStreamEnds)) {
        text += QStringLiteral(" до конца стрима");
    } else if (kind == double(Forever)) {
        text += QStringLiteral(" навсегда");
    } else if (const std::optional<double> duration = countOf(member(data, "duration"))) {
        text += QStringLiteral(" на ") + plural(*duration, QStringLiteral("секунду"),
                                                QStringLiteral("секунды"), QStringLiteral("секунд"));
    }
    moderation(data, text);
}

// Version 2 shows a warning as a grey line of the chat; the legacy one as a moderator's act.
void Goodgame::warn(const Json &data) {
    const QString text =
        QStringLiteral(" вынес предупреждение пользователю ") + textOf(data, "user_name");
    if (m_version < 2)
        return moderation(data, text);
    const QString reason = textOf(data, "reason");
    serviceLine(escapeMarkup(QStringLiteral("- GoodGame: ") + textOf(data, "moder_name") + text +
                                 (reason.isEmpty() ? QString()
                                                   : QStringLiteral(" по причине: ") + reason),
                             MarkupContext::Text));
}

void Goodgame::moderation(const Json &data, const QString &text) {
    const QString rank = QStringLiteral("moderator");
    MessageParts parts = placeBadges();
    MessagePart moderator = rankText(rank, textOf(data, "moder_name"));
    Author author;
    author.service = id();
    author.messageIds << QStringLiteral("system");
    author.icon = rank;
    moderator.author = author;
    parts << moderator << rankText(rank, text);
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

// One of the channel's alerts: the badge, then each text in the king's colour.
void Goodgame::kingAlert(const QString &type, const QStringList &texts, bool voice,
                         const std::optional<QString> &mail) {
    MessageParts parts = placeBadges();
    for (const QString &text : texts)
        parts << kingText(text);
    AlertMessage message;
    message.items = parts;
    message.service = QStringLiteral("Goodgame");
    message.type = type;
    message.voice = voice;
    message.mail = mail;
    m_deps.sink.alert(message);
}

void Goodgame::premium(const Json &data) {
    QStringList texts{textOf(data, "userName"), QStringLiteral(" активировал премиум")};
    const Json &resub = member(data, "resub");
    if (jsNumber(resub).value_or(0) > 1)
        texts << QStringLiteral(" в ") + jsString(resub) + QStringLiteral("-й раз");
    kingAlert(QStringLiteral("premium"), texts, true);
}

void Goodgame::payment(const Json &data) {
    QStringList texts{textOf(data, "userName"), QStringLiteral(" поддержал канал на ") +
                                                    textOf(data, "amount") +
                                                    QStringLiteral(" руб.")};
    const Json &voice = member(data, "voice");
    if (jsTruthy(voice))
        texts << QStringLiteral(" с голосовым сообщением");
    const QString text = textOf(data, "message");
    if (!text.isEmpty())
        texts << QStringLiteral(" и написал: \"") + text + QLatin1Char('"');
    // A voice message is an address; anything else stands for none.
    kingAlert(QStringLiteral("donation"), texts, true,
              voice.is_string() && jsTruthy(voice) ? jsString(voice) : QString());
}

void Goodgame::follower(const Json &data) {
    const QString name = firstText(data, {"username", "userName", "user_name"});
    if (name.isEmpty())
        return;
    kingAlert(QStringLiteral("follow"),
              {QStringLiteral("У нас новый фолловер на GoodGame - ") + name + QLatin1Char('!')},
              false);
}

// One alert for all the premiums a viewer gave at once, and one line of who got them.
void Goodgame::giftedPremiums(const Json &data) {
    QStringList names;
    const Json &users = member(data, "users");
    if (users.is_array()) {
        for (const Json &user : users) {
            if (user.is_object())
                names << textOf(user, "username");
        }
    }
    if (names.isEmpty())
        return;
    const QString payer = member(data, "payerId").is_null() || textOf(data, "payer").isEmpty()
                              ? QStringLiteral("Неизвестный")
                              : textOf(data, "payer");
    kingAlert(QStringLiteral("gift"),
              {payer, QStringLiteral(" дарит ") +
                          plural(names.size(), QStringLiteral("премиум"),
                                 QStringLiteral("премиума"), QStringLiteral("премиумов")) +
                          QLatin1Char('!')},
              true);
    AlertMessage line;
    line.items = placeBadges();
    line.items << kingText(QStringLiteral("Подарки от ") + payer + QStringLiteral(": ") +
                           namesUpTo(names, kGiftNames));
    m_deps.sink.alert(line);
}

// A raid arriving: the viewers of another channel teleported to this one.
void Goodgame::teleport(const Json &data) {
    const QString source =
        firstText(data, {"streamerNicknameSrc", "streamerUsernameSrc", "channelSrc"});
    const std::optional<double> count = countOf(member(data, "usersCnt"));
    QString viewers = QStringLiteral("телепортируются зрители");
    if (count) {
        const QString counted = plural(*count, QStringLiteral("зритель"),
                                       QStringLiteral("зрителя"), QStringLiteral("зрителей"));
        const bool one = counted.endsWith(QStringLiteral(" зритель"));
        viewers = (one ? QStringLiteral("телепортируется ") : QStringLiteral("телепортируются ")) +
                  counted;
    }
    kingAlert(QStringLiteral("raid"),
              {QStringLiteral("К нам ") + viewers + QStringLiteral(" с канала ") + source +
               QLatin1Char('!')},
              true);
}

void Goodgame::smileOnlyMode(const Json &data) {
    serviceLine(smileOnlyLine(jsTruthy(member(data, "enabled"))));
}

// The server's refusal of something Kestro sent: said, never shown in the chat.
void Goodgame::serverError(const Json &data) {
    const QString message = textOf(data, "errorMsg");
    if (message.isEmpty())
        return;
    m_deps.logger.log(QStringLiteral("ОШИБКА: GoodGame: ") + message, QStringLiteral("error"));
    emit status(QStringLiteral("GoodGame: ") + message);
}

// A history nobody asked for (the first join's) shows nothing.
void Goodgame::channelHistory(const Json &data) {
    if (m_fill.active())
        m_fill.finish(member(data, "messages"));
}
