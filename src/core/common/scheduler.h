#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// Runs a function later; tests step a manual one.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    virtual void after(int ms, QObject *context, std::function<void()> work) = 0;
};

class QtScheduler final : public Scheduler {
public:
    void after(int ms, QObject *context, std::function<void()> work) override {
        QTimer::singleShot(ms, context, std::move(work));
    }
};
