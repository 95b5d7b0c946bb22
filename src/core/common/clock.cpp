#include "clock.h"

namespace {
constexpr qint64 kMsPerMinute = 60 * 1000;

// Converting to local time makes the C library look at the zone file on every call; the offset
// is looked up once a minute instead (zone changes fall on whole minutes).
class SystemClock final : public Clock {
public:
    QDateTime localNow() const override {
        const qint64 utcMs = QDateTime::currentMSecsSinceEpoch();
        const qint64 minute = utcMs / kMsPerMinute;
        if (minute != m_minute) {
            m_offsetSeconds = QDateTime::fromMSecsSinceEpoch(utcMs).offsetFromUtc();
            m_minute = minute;
        }
        return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::OffsetFromUTC, m_offsetSeconds);
    }

private:
    mutable qint64 m_minute = -1;
    mutable int m_offsetSeconds = 0;
};
} // namespace

const Clock &Clock::system() {
    static const SystemClock clock;
    return clock;
}
