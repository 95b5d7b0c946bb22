#pragma once

#include "common/json.h"

#include <QSet>
#include <vector>

// The lines GoodGame sent while the link was down, taken from the channel's history once the
// chat is back: each shown once, in order, after the last one shown before the outage. Live
// lines that come meanwhile wait, so that they follow the missed ones.
class GapFill {
public:
    // How long live lines wait for the history.
    static constexpr qint64 kWaitMs = 10000;

    struct Lines {
        std::vector<Json> missed; // from the history
        std::vector<Json> held;   // live, after them
        QSet<QString> removed;    // message ids a moderator removed meanwhile
    };

    // A start's first join: nothing is shown yet, so a gap begins at this time.
    void started(qint64 nowMs);
    // A live line was shown: the gap of a later outage begins after it.
    void shown(const Json &message);
    // The chat is back and its history asked for.
    void begin(qint64 nowMs);
    bool active() const { return m_active; }
    bool overdue(qint64 nowMs) const { return m_active && nowMs >= m_deadlineMs; }
    void hold(Json &&message) { m_held.push_back(std::move(message)); }
    void removed(const QString &id) { m_removed.insert(id); }
    // Ends the fill with the history's messages (anything else: none came).
    Lines finish(const Json &history);

private:
    bool newer(const Json &message) const;
    void keep(std::vector<Json> &into, Json &&message);

    bool m_active = false;
    qint64 m_deadlineMs = 0;
    qint64 m_lastId = 0; // the newest message id shown; 0: none yet
    qint64 m_sinceS = 0; // without one: the start's time, against the messages' timestamps
    std::vector<Json> m_held;
    QSet<QString> m_removed;
};
