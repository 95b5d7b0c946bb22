#include "services/rehearsal.h"
#include "services/twitch/twitch.h"

#include "common/json.h"

#include <QHash>

namespace {
// The domain Twitch's own chat lines carry in their prefix.
const QString kTwitchDomain = QStringLiteral("tmi.twitch.tv");

// An IRC line as Twitch's server writes it: tags (none is an empty "@"), the author's prefix
// (the server's own without one), the command and the channel.
QString wireLine(const QString &type, const Json &tags, const QString &user, const QString &channel,
                 const QString &text) {
    QStringList entries;
    for (const auto &[key, value] : tags.items())
        entries << qstr(key) + QLatin1Char('=') +
                       (value.is_string() ? qstr(value.get<std::string>()) : qstr(value.dump()));
    QString prefix = kTwitchDomain;
    if (!user.isEmpty()) {
        const QString login = user.toLower();
        prefix = login + QLatin1Char('!') + login + QLatin1Char('@') + login + QLatin1Char('.') +
                 kTwitchDomain;
    }
    const QString target = channel.isEmpty() ? QStringLiteral("unknown") : channel.toLower();
    return QLatin1Char('@') + entries.join(QLatin1Char(';')) + QStringLiteral(" :") + prefix +
           QLatin1Char(' ') + type + QStringLiteral(" #") + target + QStringLiteral(" :") + text;
}

void feed(Twitch &twitch, const QString &type, const Json &tags, const QString &user,
          const QString &text) {
    twitch.processMessage(wireLine(type, tags, user, twitch.channelName(), text), true);
}

// The tags every test line of a viewer starts with.
Json viewerTags(const QString &user) {
    return Json{{"display-name", stdstr(user)}, {"color", stdstr(Rehearsal::COLOR)}};
}

void testSubscription(Twitch &twitch, const SoundSlot &slot, Rehearsal &draw) {
    const QString user = draw.user();
    const std::string months = std::to_string(2 + draw.amount(10));
    Json tags = viewerTags(user);
    tags["msg-id"] = "sub";
    tags["msg-param-cumulative-months"] = months;
    tags["msg-param-streak-months"] = months;
    tags["msg-param-sub-plan"] = stdstr(Twitch::SUB_LEVELS.at(slot.level));
    feed(twitch, QStringLiteral("USERNOTICE"), tags, user, draw.message());
}

void testGift(Twitch &twitch, const SoundSlot &, Rehearsal &draw) {
    const QString user = draw.user();
    Json tags = viewerTags(user);
    tags["msg-id"] = "subgift";
    tags["msg-param-recipient-display-name"] = stdstr(user + QStringLiteral("_2"));
    feed(twitch, QStringLiteral("USERNOTICE"), tags, user, QString());
}

void testBits(Twitch &twitch, const SoundSlot &, Rehearsal &draw) {
    const QString user = draw.user();
    Json tags = viewerTags(user);
    tags["bits"] = std::to_string(draw.amount(300));
    feed(twitch, QStringLiteral("PRIVMSG"), tags, user, draw.message());
}

void testRaid(Twitch &twitch, const SoundSlot &, Rehearsal &draw) {
    const QString user = draw.user();
    Json tags = Json::object();
    tags["color"] = stdstr(Rehearsal::COLOR);
    tags["msg-id"] = "raid";
    tags["msg-param-displayName"] = stdstr(user);
    tags["msg-param-viewerCount"] = std::to_string(draw.amount(300));
    feed(twitch, QStringLiteral("USERNOTICE"), tags, user, QString());
}

void testHost(Twitch &twitch, const SoundSlot &, Rehearsal &draw) {
    feed(twitch, QStringLiteral("PRIVMSG"), Json::object(), QString(),
         draw.user() + QLatin1Char(' ') + Twitch::HOSTING_TAIL);
}

void testFollow(Twitch &twitch, const SoundSlot &, Rehearsal &draw) {
    twitch.newFollower(
        qstr(Json{{"data", Json::array({Json{{"from_name", stdstr(draw.user())}}})}}.dump()));
}
} // namespace

// Each alert kind is rehearsed by the line Twitch would send for it, read as a test.
void Twitch::rehearse(const SoundSlot &slot, Rehearsal &draw) {
    using Rehearse = void (*)(Twitch &, const SoundSlot &, Rehearsal &);
    static const QHash<QString, Rehearse> byType{{QStringLiteral("subscription"), testSubscription},
                                                 {QStringLiteral("gift"), testGift},
                                                 {QStringLiteral("bits"), testBits},
                                                 {QStringLiteral("raid"), testRaid},
                                                 {QStringLiteral("host"), testHost},
                                                 {QStringLiteral("follow"), testFollow}};
    if (const Rehearse rehearseKind = byType.value(QLatin1String(slot.type)))
        rehearseKind(*this, slot, draw);
}
