#include "connection/gapfill.h"

#include <algorithm>

GapFill::GapFill(StampOf stampOf, Delivery delivery)
    : m_stampOf(std::move(stampOf))
    , m_delivery(std::move(delivery)) {}

void GapFill::started(qint64 nowMs) {
    m_active = false;
    m_last.reset();
    m_sinceS = nowMs / 1000;
    m_held.clear();
    m_removed.clear();
}

void GapFill::shown(const Json &message) {
    if (const std::optional<Stamp> stamp = m_stampOf(message))
        m_last = m_last ? std::max(*m_last, stamp->order) : stamp->order;
}

void GapFill::begin(qint64 nowMs) {
    m_active = true;
    m_deadlineMs = nowMs + kWaitMs;
}

void GapFill::live(Json &&message) {
    if (m_active)
        return m_held.push_back(std::move(message));
    m_delivery.show(message);
    shown(message);
}

void GapFill::removed(const QString &id) {
    if (m_active)
        m_removed.insert(id);
}

// Before any line was shown, the time of the message tells.
bool GapFill::newer(const Stamp &stamp) const {
    return m_last ? stamp.order > *m_last : stamp.seconds >= m_sinceS;
}

void GapFill::deliver(const Json &message, const Stamp &stamp) {
    m_last = m_last ? std::max(*m_last, stamp.order) : stamp.order;
    m_delivery.show(message);
    if (m_removed.contains(stamp.id))
        m_delivery.strike(stamp.id);
}

void GapFill::finish(const Json &history) {
    // A line that came live while the history was on its way is no missed one.
    QSet<QPair<qint64, qint64>> live;
    for (const Json &message : m_held) {
        if (const std::optional<Stamp> stamp = m_stampOf(message))
            live.insert(stamp->order);
    }
    std::vector<QPair<Stamp, const Json *>> missed;
    if (history.is_array()) {
        for (const Json &message : history) {
            const std::optional<Stamp> stamp =
                message.is_object() ? m_stampOf(message) : std::nullopt;
            if (stamp && !live.contains(stamp->order) && newer(*stamp))
                missed.push_back({*stamp, &message});
        }
    }
    std::stable_sort(missed.begin(), missed.end(),
                     [](const auto &a, const auto &b) { return a.first.order < b.first.order; });
    m_active = false;
    int count = 0;
    for (const auto &[stamp, message] : missed) {
        // The history may repeat a line; each is shown once.
        if (!newer(stamp))
            continue;
        deliver(*message, stamp);
        ++count;
    }
    if (count > 0)
        m_delivery.counted(count);
    for (Json &message : std::exchange(m_held, {})) {
        const std::optional<Stamp> stamp = m_stampOf(message);
        // A live line without a stamp cannot have been shown already.
        if (!stamp)
            m_delivery.show(message);
        else if (newer(*stamp))
            deliver(message, *stamp);
    }
    m_removed.clear();
}
