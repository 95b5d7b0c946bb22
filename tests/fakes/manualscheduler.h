#pragma once

#include "common/scheduler.h"

#include <vector>

// Delayed work held until the test runs it.
class ManualScheduler final : public Scheduler {
public:
    void after(int ms, QObject *, std::function<void()> work) override {
        delays << ms;
        pendingDelays << ms;
        pending.push_back(std::move(work));
    }
    void runNext() { runAt(0); }
    // Runs the first work waiting this long; false when none does.
    bool run(int ms) {
        const int index = pendingDelays.indexOf(ms);
        if (index < 0)
            return false;
        runAt(index);
        return true;
    }
    QList<int> delays;
    QList<int> pendingDelays;
    std::vector<std::function<void()>> pending;

private:
    void runAt(int index) {
        auto work = std::move(pending[size_t(index)]);
        pending.erase(pending.begin() + index);
        pendingDelays.removeAt(index);
        work();
    }
};
