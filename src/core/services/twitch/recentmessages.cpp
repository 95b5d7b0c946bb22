#include "services/twitch/recentmessages.h"

#include "common/js.h"
#include "services/twitch/tagmap.h"

#include <algorithm>

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
    m_held.clear();
    m_removed.clear();
}

// Every line shown is no newer than the newest: only that one needs keeping.
void TwitchGap::shown(const RecentLine &line) {
    if (line.sentAt > 0 && m_last < line)
        m_last = line;
}

void TwitchGap::begin(qint64 nowMs) {
    m_active = true;
    m_deadlineMs = nowMs + kWaitMs;
}

TwitchGap::Lines TwitchGap::finish(const QStringList &history) {
    Lines lines;
    // Left out: what a moderator removed, and what came live meanwhile.
    QSet<QString> skipped = std::exchange(m_removed, {});
    for (const QString &raw : m_held)
        skipped.insert(RecentLine::read(raw).id);
    std::vector<RecentLine> missed;
    for (const QString &raw : history) {
        RecentLine line = RecentLine::read(raw);
        if (line.command == QLatin1String("CLEARMSG"))
            skipped.insert(line.id);
        else if (line.shown() && !line.deleted && line.sentAt > 0 && m_last < line)
            missed.push_back(std::move(line));
    }
    std::stable_sort(missed.begin(), missed.end());
    for (const RecentLine &line : missed) {
        if (skipped.contains(line.id))
            continue;
        shown(line);
        lines.missed << line.raw;
    }
    lines.held = std::exchange(m_held, {});
    m_active = false;
    return lines;
}
