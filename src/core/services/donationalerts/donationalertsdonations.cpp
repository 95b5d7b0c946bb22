// Donations: each queued once, the ones of an outage read back from the API, the alert kind's
// sound and its test.
#include "services/donationalerts/donationalerts.h"

#include "common/js.h"
#include "model/chatsink.h"
#include "services/rehearsal.h"
#include "shell/botlogger.h"

#include <QCoreApplication>

using js::member;

namespace {
// The API's pages of recent donations hold this many.
constexpr std::size_t kPageSize = 30;
} // namespace

QList<EndpointKey> DonationAlerts::endpointKeys() const {
    return {endpoint::donationalertsSite, endpoint::donationalertsSocket,
            endpoint::donationalertsClientId, endpoint::donationalertsRedirect};
}

QList<SoundSlot> DonationAlerts::soundSlots() const {
    return {{"daDonat", "DonationAlerts", "donation", -1, "donationalerts", "donation",
             QT_TRANSLATE_NOOP("AlertsForm", "Донат"), "donationalertsDonat",
             "Звук для донатов DonationAlerts",
             "Проигрываем звуковое уведомление на донат DonationAlerts"}};
}

// The donation DonationAlerts would publish, read as a test.
void DonationAlerts::rehearse(const SoundSlot &, Rehearsal &draw) {
    const Json donation{{"id", 1},
                        {"username", stdstr(draw.user())},
                        {"message", stdstr(draw.message())},
                        {"message_type", "text"},
                        {"amount", draw.amount(300)},
                        {"currency", "RUB"}};
    const Json publication{{"result", Json{{"channel", stdstr(channel())},
                                           {"data", Json{{"seq", 1}, {"data", donation}}}}}};
    processFrame(qstr(publication.dump()), true);
}

// Once joined: after an outage the donations it hid are read back; on the first join, the
// ones from before the run, which are never shown.
void DonationAlerts::subscribed() {
    m_step = Step::Live;
    m_troubleSaid = false;
    m_connection.joined();
    emit status(QStringLiteral("DonationAlerts: ждём донатов"));
    const bool again = std::exchange(m_again, false);
    if (!again && m_knowsBefore)
        return;
    m_filling = again && m_knowsBefore;
    readPage(m_session, 1, {});
}

// Newest first, page by page, until a donation already known.
void DonationAlerts::readPage(int session, int page, std::vector<Donation> found) {
    const auto read = [this, session, page, found = std::move(found)](const HttpReply &reply) mutable {
        if (session != m_session)
            return;
        if (reply.status == 401)
            return expired();
        if (reply.status != 200) {
            m_deps.logger.log(QStringLiteral("DonationAlerts: пропущенные донаты не прочитаны: ") +
                                  reply.problem(),
                              QStringLiteral("error"));
            if (m_filling)
                endBackfill(std::move(found));
            return;
        }
        const Json answer = parseJson(reply.body);
        const Json &list = member(answer, "data");
        bool known = false;
        for (const Json &entry : list.is_array() ? list : Json::array()) {
            const std::optional<Donation> donation = Donation::fromJson(entry);
            known = donation && m_seen.contains(donation->id);
            if (known)
                break;
            if (donation)
                found.push_back(*donation);
        }
        const bool more = list.size() >= kPageSize && !member(member(answer, "links"), "next").is_null();
        if (m_filling && !known && more && page < kMaxBackfillPages)
            return readPage(session, page + 1, std::move(found));
        endBackfill(std::move(found));
    };
    m_api.get(m_account.auth().accessToken, QStringLiteral("/api/v1/alerts/donations"),
              QStringLiteral("page=%1").arg(page), read);
}

// The outage's donations oldest first, one grey line of how many, then the live ones that
// waited; without an outage, the donations found are only remembered.
void DonationAlerts::endBackfill(std::vector<Donation> missed) {
    if (!std::exchange(m_filling, false)) {
        for (const Donation &donation : missed)
            m_seen.insert(donation.id);
        m_knowsBefore = true;
        return;
    }
    const int before = m_seen.size();
    for (auto donation = missed.rbegin(); donation != missed.rend(); ++donation)
        offer(*donation, false);
    if (m_seen.size() > before)
        m_deps.sink.serviceLine(QStringLiteral("- DonationAlerts: пропущенные донаты показаны (%1)")
                                    .arg(m_seen.size() - before));
    releaseHeld();
}

void DonationAlerts::releaseHeld() {
    m_filling = false;
    for (const Donation &donation : std::exchange(m_held, {}))
        offer(donation, false);
}

void DonationAlerts::offer(const Donation &donation, bool inTest) {
    if (inTest)
        return alertOf(donation);
    if (m_seen.contains(donation.id))
        return;
    if (m_filling) {
        const bool held = std::any_of(m_held.begin(), m_held.end(),
                                      [&](const Donation &other) { return other.id == donation.id; });
        if (!held)
            m_held.push_back(donation);
        return;
    }
    m_seen.insert(donation.id);
    alertOf(donation);
}

// The donor's name and message are the viewer's text: plain parts, never markup.
void DonationAlerts::alertOf(const Donation &donation) {
    MessageParts parts{MessagePart::serviceBadge(QStringLiteral("donationalerts"),
                                                 QStringLiteral("DonationAlerts"))};
    for (const QString &text : donation.texts())
        parts << MessagePart::textPart(text, MessagePart::Tone::Rank, QStringLiteral("king"));
    AlertMessage alert;
    alert.items = parts;
    alert.service = QStringLiteral("DonationAlerts");
    alert.type = QStringLiteral("donation");
    alert.voice = true;
    m_deps.sink.alert(alert);
}
