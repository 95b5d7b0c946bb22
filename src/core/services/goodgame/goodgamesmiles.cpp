// The smile catalogue, which smiles an author may use, and the rank that colours a nick.
#include "services/goodgame/goodgame.h"

#include "common/clock.h"
#include "common/logging.h"
#include "net/http.h"
#include "services/goodgame/goodgamejson.h"
#include "services/patience.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

using gg::entryOf;
using gg::listHas;
using gg::member;
using gg::numberIs;
using gg::textOf;

namespace {
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

void Goodgame::loadEmotes() {
    QUrl url = m_deps.endpoints.url(endpoint::goodgameStatic);
    url.setPath(QStringLiteral("/js/minified/global.json"));
    url.setQuery(QString::number(m_deps.clock.now()));
    m_deps.http.get(
        url,
        [this](const HttpReply &reply) {
            if (reply.status == 200)
                return storeEmotes(reply.body);
            m_deps.logger.log(QStringLiteral("Ошибка GoodGame (smiles): ") + reply.problem(),
                              QStringLiteral("error"));
        },
        {}, loggedPatience(QStringLiteral("GoodGame"), m_deps.logger));
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
    const qint64 now = m_deps.clock.now();

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
            parts << MessagePart::textPart(text.mid(placed, start - placed));
        parts << MessagePart::emote(url, text.mid(start, length),
                                    QStringLiteral("GoodGame: ") + name, id());
        placed = start + length;
    }
    if (placed < text.size())
        parts << MessagePart::textPart(text.mid(placed));
    return parts;
}

MessageParts Goodgame::placeBadges() {
    return {MessagePart::serviceBadge(QStringLiteral("goodgame"), QStringLiteral("GoodGame"))};
}

// Moderators, super-moderators and administrators (30, 40, 50) wear the moderator icon.
static bool wearsModeratorIcon(const Json &rights) {
    return numberIs(rights, 30) || numberIs(rights, 40) || numberIs(rights, 50);
}

QString Goodgame::rankOf(const Json &data, QString &icon) {
    QString key = textOf(data, "color");
    icon = textOf(data, "icon");
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
    if (icon == QLatin1String("moderator") && !wearsModeratorIcon(member(data, "user_rights")))
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
    return key;
}
