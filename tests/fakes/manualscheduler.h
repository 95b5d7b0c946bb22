#pragma once

#include "common/scheduler.h"

#include <vector>

// Delayed work held until the test runs it.
class ManualScheduler final : public Scheduler {
public:
    void after(int ms, QObject *, std::function<void()> work) override {
        delays << ms;
        pending.push_back(std::move(work));
    }
    void runNext() {
        auto work = std::move(pending.front());
        pending.erase(pending.begin());
        work();
    }
    QList<int> delays;
    std::vector<std::function<void()>> pending;
};
