#include "services/twitch/recentmessages.h"

#include "common/js.h"
#include "services/twitch/tagmap.h"

#include <algorithm>

namespace {
// Enough to know a line shown since the outage began, whatever the chat's pace.
constexpr int kKeptIds = 2000;
} // namespace

RecentLine RecentLine::read(const QString &raw) {
    RecentLine line;
    line.raw = raw;
    const QStringList parts = raw.split(QLatin1Char(' '));
    const TagMap tags(parts.value(0).startsWith(QLatin1Char('@')) ? parts.value(0).mid(1)
                                                                  : QString());
    for (const QString &part : parts) {
        if (!part.startsWith(QLatin1Char('@')) && !part.startsWith(QLatin1Char(':'))) {
            line.command = part;
            break;
        }
    }
    line.id = tags.value(line.command == QLatin1String("CLEARMSG") ? QStringLiteral("target-msg-id")
                                                                   : QStringLiteral("id"));
    line.sentAt = countOf(tags.value(QStringLiteral("tmi-sent-ts"))).value_or(0);
    line.deleted = tags.value(QStringLiteral("rm-deleted")) == QLatin1String("1");
    return line;
}

bool RecentLine::shown() const {
    return command == QLatin1String("PRIVMSG") || command == QLatin1String("USERNOTICE");
}

void TwitchGap::started(qint64 nowMs) {
    m_active = false;
    m_last = RecentLine{};
    m_last.sentAt = nowMs;
    m_shownIds.clear();
    m_shownOrder.clear();
    m_held.clear();
    m_removed.clear();
}

void TwitchGap::remember(const QString &id) {
    if (id.isEmpty() || m_shownIds.contains(id))
        return;
    m_shownIds.insert(id);
    m_shownOrder.enqueue(id);
    if (m_shownOrder.size() > kKeptIds)
        m_shownIds.remove(m_shownOrder.dequeue());
}

void TwitchGap::shown(const RecentLine &line) {
    remember(line.id);
    if (line.sentAt > 0 && m_last < line)
        m_last = line;
}

void TwitchGap::begin(qint64 nowMs) {
    m_active = true;
    m_deadlineMs = nowMs + kWaitMs;
}

bool TwitchGap::newer(const RecentLine &line) const {
    return line.sentAt > 0 && m_last < line && !m_shownIds.contains(line.id);
}

TwitchGap::Lines TwitchGap::finish(const QStringList &history) {
    Lines lines;
    QSet<QString> removed = std::exchange(m_removed, {});
    for (const QString &raw : m_held)
        remember(RecentLine::read(raw).id); // came live: no missed one
    std::vector<RecentLine> missed;
    for (const QString &raw : history) {
        RecentLine line = RecentLine::read(raw);
        if (line.command == QLatin1String("CLEARMSG"))
            removed.insert(line.id);
        else if (line.shown() && !line.deleted && newer(line))
            missed.push_back(std::move(line));
    }
    std::stable_sort(missed.begin(), missed.end());
    for (const RecentLine &line : missed) {
        if (removed.contains(line.id) || m_shownIds.contains(line.id))
            continue;
        shown(line);
        lines.missed << line.raw;
    }
    lines.held = std::exchange(m_held, {});
    m_active = false;
    return lines;
}
