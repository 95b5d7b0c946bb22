#pragma once

#include <QDateTime>

// Time source, injected wherever behaviour depends on the wall clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime localNow() const = 0;
    qint64 now() const { return localNow().toMSecsSinceEpoch(); }

    // The real clock, for the GUI thread (it caches the zone offset without locking).
    static const Clock &system();
};
