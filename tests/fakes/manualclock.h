#pragma once

#include "common/clock.h"

// A clock that moves only when the test says so.
class ManualClock final : public Clock {
public:
    explicit ManualClock(const QDateTime &start)
        : m_now(start) {}

    QDateTime localNow() const override { return m_now; }
    void set(const QDateTime &now) { m_now = now; }
    void advance(qint64 ms) { m_now = m_now.addMSecs(ms); }

private:
    QDateTime m_now;
};
