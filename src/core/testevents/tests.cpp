#include "tests.h"

#include "common/random.h"
#include "services/goodgame/goodgame.h"
#include "services/twitch/twitch.h"
#include "settings/soundslots.h"

#include <QHash>
#include <cmath>

Tests::Tests(Twitch &twitch, Goodgame &goodgame, Random &random)
    : m_twitch(twitch)
    , m_goodgame(goodgame)
    , m_random(random) {}

qint64 Tests::randomAmount(double factor) {
    return static_cast<qint64>(std::floor(m_random.uniform() * factor + 0.5));
}

std::optional<QString> Tests::getRandomFrom(const QStringList &list) {
    if (list.isEmpty())
        return std::nullopt;
    const int index = list.size() == 1 ? 0 : int(randomAmount(list.size() - 1));
    return list.at(index);
}

QString Tests::getUser() {
    return getRandomFrom(USERS).value_or(QString());
}

QString Tests::getMessage() {
    return getRandomFrom(MESSAGES).value_or(QString());
}

QString Tests::buildTwitchMessage(const QString &type, const std::optional<Json> &tags,
                                  const QString &user, const QString &channel,
                                  const QString &text) {
    QString line;
    if (tags) {
        QStringList entries;
        for (const auto &[key, value] : tags->items())
            entries << qstr(key) + QLatin1Char('=') +
                           (value.is_string() ? qstr(value.get<std::string>())
                                              : qstr(value.dump()));
        line = QLatin1Char('@') + entries.join(QLatin1Char(';'));
    }
    QString prefix = TWITCH_DOMAIN;
    if (!user.isEmpty()) {
        const QString login = user.toLower();
        prefix = login + QLatin1Char('!') + login + QLatin1Char('@') + login + QLatin1Char('.') +
                 TWITCH_DOMAIN;
    }
    const QString target = channel.isEmpty() ? QStringLiteral("unknown") : channel.toLower();
    return line + QStringLiteral(" :") + prefix + QLatin1Char(' ') + type.toUpper() +
           QStringLiteral(" #") + target + QStringLiteral(" :") + text;
}

QString Tests::buildGoodgameMessage(const QString &type, const QString &user, const Json &data) {
    const auto field = [&data](const char *key) {
        return data.is_object() && data.contains(key) ? data.at(key) : Json();
    };
    Json body = Json::object();
    if (type == QLatin1String("premium")) {
        body["userName"] = stdstr(user);
        body["resub"] = field("resub");
    } else if (type == QLatin1String("payment")) {
        body["userName"] = stdstr(user);
        body["amount"] = field("amount");
        body["message"] = field("message");
    } else {
        body["user_name"] = stdstr(user);
        body["text"] = field("text");
    }
    return qstr(Json{{"type", stdstr(type)}, {"data", body}}.dump());
}

void Tests::testGoodgame(const QString &data) {
    m_goodgame.processMessage(data, true);
}

void Tests::feedTwitch(const QString &type, const Json &tags, const QString &user,
                       const QString &text) {
    m_twitch.processMessage(buildTwitchMessage(type, tags, user, m_twitch.channelName(), text),
                            true);
}

// The tags every test line of a viewer starts with.
Json Tests::viewerTags(const QString &user) {
    return Json{{"display-name", stdstr(user)}, {"color", stdstr(COLOR)}};
}

void Tests::testTwitchSub(int subLevel) {
    const int level = subLevel >= 0 && subLevel <= 3 ? subLevel : int(randomAmount(3));
    const QString user = getUser();
    const std::string months = std::to_string(2 + randomAmount(10));
    Json tags = viewerTags(user);
    tags["msg-id"] = "sub";
    tags["msg-param-cumulative-months"] = months;
    tags["msg-param-streak-months"] = months;
    tags["msg-param-sub-plan"] = stdstr(Twitch::SUB_LEVELS.at(level));
    feedTwitch(QStringLiteral("USERNOTICE"), tags, user, getMessage());
}

void Tests::testTwitchSubGift() {
    const QString user = getUser();
    Json tags = viewerTags(user);
    tags["msg-id"] = "subgift";
    tags["msg-param-recipient-display-name"] = stdstr(user + QStringLiteral("_2"));
    feedTwitch(QStringLiteral("USERNOTICE"), tags, user, QString());
}

void Tests::testTwitchBits() {
    const QString user = getUser();
    Json tags = viewerTags(user);
    tags["bits"] = std::to_string(randomAmount(300));
    feedTwitch(QStringLiteral("PRIVMSG"), tags, user, getMessage());
}

void Tests::testTwitchRaid() {
    const QString user = getUser();
    Json tags = Json::object();
    tags["color"] = stdstr(COLOR);
    tags["msg-id"] = "raid";
    tags["msg-param-displayName"] = stdstr(user);
    tags["msg-param-viewerCount"] = std::to_string(randomAmount(300));
    feedTwitch(QStringLiteral("USERNOTICE"), tags, user, QString());
}

void Tests::testTwitchHost() {
    feedTwitch(QStringLiteral("PRIVMSG"), Json::object(), QString(),
               getUser() + QLatin1Char(' ') + Twitch::HOSTING_TAIL);
}

void Tests::testTwitchFollow() {
    m_twitch.newFollower(
        qstr(Json{{"data", Json::array({Json{{"from_name", stdstr(getUser())}}})}}.dump()));
}

void Tests::testGoodgamePrem(int premStreak) {
    const qint64 resub = premStreak != 0 ? premStreak : 2 + randomAmount(10);
    testGoodgame(
        buildGoodgameMessage(QStringLiteral("premium"), getUser(), Json{{"resub", resub}}));
}

void Tests::testGoodgameDonat() {
    Json data = Json::object();
    data["amount"] = randomAmount(300);
    data["message"] = stdstr(getMessage());
    testGoodgame(buildGoodgameMessage(QStringLiteral("payment"), getUser(), data));
}

// Each alert kind has its own test event; a subscription's level picks Prime or a tier.
// The test event each kind of alert rehearses, by the slot's alert type.
void Tests::testSound(const QString &slotName) {
    using Rehearsal = void (*)(Tests &, const SoundSlot &);
    static const QHash<QString, Rehearsal> rehearsals{
        {QStringLiteral("subscription"),
         [](Tests &t, const SoundSlot &s) {
             t.testTwitchSub(s.level);
         }},
        {QStringLiteral("gift"),
         [](Tests &t, const SoundSlot &) {
             t.testTwitchSubGift();
         }},
        {QStringLiteral("bits"),
         [](Tests &t, const SoundSlot &) {
             t.testTwitchBits();
         }},
        {QStringLiteral("raid"),
         [](Tests &t, const SoundSlot &) {
             t.testTwitchRaid();
         }},
        {QStringLiteral("host"),
         [](Tests &t, const SoundSlot &) {
             t.testTwitchHost();
         }},
        {QStringLiteral("follow"),
         [](Tests &t, const SoundSlot &) {
             t.testTwitchFollow();
         }},
        {QStringLiteral("premium"),
         [](Tests &t, const SoundSlot &) {
             t.testGoodgamePrem();
         }},
        {QStringLiteral("donation"),
         [](Tests &t, const SoundSlot &) {
             t.testGoodgameDonat();
         }},
    };
    const QList<SoundSlot> slotList = m_twitch.soundSlots() + m_goodgame.soundSlots();
    const SoundSlot *slot = soundSlot(slotList, slotName);
    if (const Rehearsal rehearse = slot ? rehearsals.value(QLatin1String(slot->type)) : nullptr)
        rehearse(*this, *slot);
}
