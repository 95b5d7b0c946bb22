#pragma once

#include "common/json.h"

#include <QPair>
#include <QSet>
#include <functional>
#include <optional>
#include <vector>

// The lines a chat sent while its link was down, taken from the channel's history once the
// chat is back: each shown once, in order, after the last one shown before the outage, then
// one line of how many. Live lines that come meanwhile wait, so that they follow the missed
// ones; a line a moderator removed meanwhile is struck as it is shown.
class GapFill {
public:
    // How long live lines wait for the history.
    static constexpr qint64 kWaitMs = 10000;

    // Where a message stands: its order among the others (time, then id, as the service keeps
    // them), its time in seconds, and the id moderation names it by.
    struct Stamp {
        QPair<qint64, qint64> order;
        qint64 seconds = 0;
        QString id;
    };
    using StampOf = std::function<std::optional<Stamp>(const Json &message)>;

    // What the service does with the lines: shows one, strikes one by its id, says the count.
    struct Delivery {
        std::function<void(const Json &message)> show;
        std::function<void(const QString &id)> strike;
        std::function<void(int missed)> counted;
    };

    GapFill(StampOf stampOf, Delivery delivery);

    // A start's first join: nothing is shown yet, so a gap begins at this time.
    void started(qint64 nowMs);
    // A live line was shown: the gap of a later outage begins after it.
    void shown(const Json &message);
    // The chat is back and its history asked for.
    void begin(qint64 nowMs);
    bool active() const { return m_active; }
    bool overdue(qint64 nowMs) const { return m_active && nowMs >= m_deadlineMs; }
    // A live line: shown now, or after the missed ones while they are read.
    void live(Json &&message);
    void removed(const QString &id);
    // Ends the fill with the history's messages (anything else: none came) and delivers them.
    void finish(const Json &history);

private:
    bool newer(const Stamp &stamp) const;
    void deliver(const Json &message, const Stamp &stamp);

    StampOf m_stampOf;
    Delivery m_delivery;
    bool m_active = false;
    qint64 m_deadlineMs = 0;
    std::optional<QPair<qint64, qint64>> m_last; // the newest line shown; none yet
    qint64 m_sinceS = 0; // without one: the start's time, against the messages' times
    std::vector<Json> m_held;
    QSet<QString> m_removed;
};
