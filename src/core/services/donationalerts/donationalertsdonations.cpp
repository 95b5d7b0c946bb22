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
    m_troubles.over();
    m_connection.joined();
    emit status(QStringLiteral("DonationAlerts: ждём донатов"));
    const bool again = std::exchange(m_again, false);
    if (!again && m_knowsBefore)
        return;
    if (again && m_knowsBefore)
        m_fill.begin(m_deps.clock.now());
    readPage(m_session, 1, Json::array());
}

// Newest first, page by page, until a donation already known.
void DonationAlerts::readPage(int session, int page, Json found) {
    const auto read = [this, session, page, found = std::move(found)](const HttpReply &reply) mutable {
        if (session != m_session)
            return;
        if (reply.status == 401)
            return expired();
        if (reply.status != 200) {
            m_deps.logger.log(QStringLiteral("DonationAlerts: пропущенные донаты не прочитаны: ") +
                                  reply.problem(),
                              QStringLiteral("error"));
            if (m_fill.active())
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
                found.push_back(entry);
        }
        const bool more = list.size() >= kPageSize && !member(member(answer, "links"), "next").is_null();
        if (m_fill.active() && !known && more && page < kMaxBackfillPages)
            return readPage(session, page + 1, std::move(found));
        endBackfill(std::move(found));
    };
    m_api.get(m_account.auth().accessToken, QStringLiteral("/api/v1/alerts/donations"),
              QStringLiteral("page=%1").arg(page), read);
}

// The outage's donations go to the gap fill; without an outage, the donations found are only
// remembered, the newest of them as the last one shown.
void DonationAlerts::endBackfill(Json found) {
    if (m_fill.active())
        return m_fill.finish(found);
    for (const Json &entry : found) {
        if (const std::optional<Donation> donation = Donation::fromJson(entry))
            m_seen.insert(donation->id);
        m_fill.shown(entry);
    }
    m_knowsBefore = true;
}

void DonationAlerts::releaseHeld() {
    if (m_fill.active())
        m_fill.finish(Json());
}

// A live donation waits behind an outage's; a rehearsal goes to the queue as often as it comes.
void DonationAlerts::offer(const Json &record, bool rehearsal) {
    if (rehearsal) {
        if (const std::optional<Donation> donation = Donation::fromJson(record))
            alertOf(*donation);
        return;
    }
    m_fill.live(Json(record));
}

// Each donation is queued once, whatever sends it again.
void DonationAlerts::showOnce(const Json &record) {
    const std::optional<Donation> donation = Donation::fromJson(record);
    if (!donation || m_seen.contains(donation->id))
        return;
    m_seen.insert(donation->id);
    alertOf(*donation);
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
