#pragma once

#include <QSet>
#include <QStringList>

// One raw line of the recent-messages service, and what the read-back needs of it.
struct RecentLine {
    QString raw;
    QString command;
    QString id;           // the message's id; for CLEARMSG the message it removes
    qint64 sentAt = 0;    // tmi-sent-ts, ms
    bool deleted = false; // the service saw it removed

    static RecentLine read(const QString &raw);
    // A chat line or a notice: what the gap shows.
    bool shown() const;
    bool operator<(const RecentLine &other) const {
        return sentAt != other.sentAt ? sentAt < other.sentAt : id < other.id;
    }
};

// Twitch's gap after a reconnection, read back from the recent-messages service: the chat
// lines and notices newer than the last one shown (by time, then id), each once and in order.
// Live lines that come meanwhile wait behind them, at most kWaitMs.
class TwitchGap {
public:
    static constexpr qint64 kWaitMs = 10000;
    static constexpr int kLimit = 800;

    struct Lines {
        QStringList missed; // from the history, oldest first
        QStringList held;   // live, in the order they came
    };

    // A start: nothing is shown yet, so a gap begins at this time.
    void started(qint64 nowMs);
    // A live chat line or notice was shown.
    void shown(const RecentLine &line);
    // The chat is back and its history asked for.
    void begin(qint64 nowMs);
    bool active() const { return m_active; }
    bool overdue(qint64 nowMs) const { return m_active && nowMs >= m_deadlineMs; }
    // A live line while the history is on its way: it waits.
    void hold(const QString &raw) { m_held << raw; }
    // A moderator removed a message meanwhile: it is not read back.
    void removed(const QString &id) { m_removed.insert(id); }
    // Ends the read-back with the history's raw lines (none when it did not come).
    Lines finish(const QStringList &history);

private:
    bool m_active = false;
    qint64 m_deadlineMs = 0;
    RecentLine m_last; // the newest line shown: its time and id
    QStringList m_held;
    QSet<QString> m_removed;
};
