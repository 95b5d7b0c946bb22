#include "clock.h"

namespace {
class SystemClock final : public Clock {
public:
    QDateTime localNow() const override { return QDateTime::currentDateTime(); }
};
} // namespace

const Clock &Clock::system() {
    static const SystemClock clock;
    return clock;
}
