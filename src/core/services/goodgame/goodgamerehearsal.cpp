#include "services/goodgame/goodgame.h"
#include "services/rehearsal.h"

#include <QHash>

namespace {
// A frame as GoodGame's chat server writes it.
QString frame(const char *type, const Json &data) {
    return qstr(Json{{"type", type}, {"data", data}}.dump());
}

void testPremium(Goodgame &goodgame, Rehearsal &draw) {
    const QString user = draw.user();
    goodgame.processMessage(
        frame("premium", Json{{"userName", stdstr(user)}, {"resub", 2 + draw.amount(10)}}), true);
}

void testDonation(Goodgame &goodgame, Rehearsal &draw) {
    const qint64 amount = draw.amount(300);
    const QString message = draw.message();
    goodgame.processMessage(frame("payment", Json{{"userName", stdstr(draw.user())},
                                                  {"amount", amount},
                                                  {"message", stdstr(message)}}),
                            true);
}

void testFollow(Goodgame &goodgame, Rehearsal &draw) {
    goodgame.processMessage(frame("follower", Json{{"username", stdstr(draw.user())}}), true);
}

void testGift(Goodgame &goodgame, Rehearsal &draw) {
    Json users = Json::array();
    for (qint64 gift = 0, count = 1 + draw.amount(4); gift < count; ++gift)
        users.push_back(Json{{"id", gift + 1}, {"username", stdstr(draw.user())}});
    goodgame.processMessage(
        frame("gifted_premiums",
              Json{{"payer", stdstr(draw.user())}, {"payerId", 1}, {"users", users}}),
        true);
}

void testRaid(Goodgame &goodgame, Rehearsal &draw) {
    goodgame.processMessage(frame("teleport_aim", Json{{"streamerNicknameSrc", stdstr(draw.user())},
                                                       {"usersCnt", 1 + draw.amount(100)}}),
                            true);
}
} // namespace

// Each alert kind is rehearsed by the frame GoodGame would send for it, read as a test.
void Goodgame::rehearse(const SoundSlot &slot, Rehearsal &draw) {
    using Rehearse = void (*)(Goodgame &, Rehearsal &);
    static const QHash<QString, Rehearse> byType{{QStringLiteral("premium"), testPremium},
                                                 {QStringLiteral("donation"), testDonation},
                                                 {QStringLiteral("follow"), testFollow},
                                                 {QStringLiteral("gift"), testGift},
                                                 {QStringLiteral("raid"), testRaid}};
    if (const Rehearse rehearseKind = byType.value(QLatin1String(slot.type)))
        rehearseKind(*this, draw);
}
