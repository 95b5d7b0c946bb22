#include "services/goodgame/gapfill.h"

#include "services/goodgame/goodgamejson.h"

#include <algorithm>

namespace {
std::optional<qint64> messageId(const Json &message) {
    return parseInt(gg::textOf(message, "message_id"));
}
} // namespace

void GapFill::started(qint64 nowMs) {
    m_active = false;
    m_lastId = 0;
    m_sinceS = nowMs / 1000;
    m_held.clear();
    m_removed.clear();
}

void GapFill::shown(const Json &message) {
    if (const std::optional<qint64> id = messageId(message))
        m_lastId = std::max(m_lastId, *id);
}

void GapFill::begin(qint64 nowMs) {
    m_active = true;
    m_deadlineMs = nowMs + kWaitMs;
}

// Ids grow with time; before any line was shown, the time of the message tells.
bool GapFill::newer(const Json &message) const {
    if (m_lastId > 0) {
        const std::optional<qint64> id = messageId(message);
        return id && *id > m_lastId;
    }
    const std::optional<double> at = jsNumber(gg::member(message, "timestamp"));
    return at && *at >= double(m_sinceS);
}

void GapFill::keep(std::vector<Json> &into, Json &&message) {
    if (!newer(message))
        return;
    shown(message);
    into.push_back(std::move(message));
}

GapFill::Lines GapFill::finish(const Json &history) {
    Lines lines;
    // A line that came live while the history was on its way is no missed one.
    QSet<qint64> live;
    for (const Json &message : m_held) {
        if (const std::optional<qint64> id = messageId(message))
            live.insert(*id);
    }
    std::vector<Json> missed;
    if (history.is_array()) {
        for (const Json &message : history) {
            const std::optional<qint64> id = message.is_object() ? messageId(message) : std::nullopt;
            if (id && !live.contains(*id))
                missed.push_back(message);
        }
    }
    std::stable_sort(missed.begin(), missed.end(), [](const Json &a, const Json &b) {
        return *messageId(a) < *messageId(b);
    });
    for (Json &message : missed)
        keep(lines.missed, std::move(message));
    for (Json &message : m_held) {
        // A live line without an id cannot have been shown already.
        if (!messageId(message))
            lines.held.push_back(std::move(message));
        else
            keep(lines.held, std::move(message));
    }
    lines.removed = std::move(m_removed);
    m_held.clear();
    m_removed.clear();
    m_active = false;
    return lines;
}
