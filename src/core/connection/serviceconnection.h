#pragma once

#include <QObject>
#include <functional>

class Clock;

// How long a silent link waits before it is probed, and how long for the probe's answer.
struct Probing {
    qint64 afterMs = 60000;
    qint64 timeoutMs = 15000;
};
class Random;

// Supervises one service link: whether the user wants it, a keep-alive probe for a silent
// link, reconnection with backoff, and a state the view draws. The owner does the I/O.
class ServiceConnection : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString state READ stateName NOTIFY changed)
    Q_PROPERTY(int retrySeconds READ retrySeconds NOTIFY changed)
public:
    enum class State { Stopped, Connecting, Connected, Waiting };

    static constexpr int TICK_MS = 1000;
    static constexpr qint64 FIRST_BACKOFF_MS = 1000;
    static constexpr qint64 MAX_BACKOFF_MS = 60000;
    // A tick this much later than due means the machine slept.
    static constexpr qint64 LATE_TICK_MS = 30000;
    // A reconnection that has not joined by then (a login that failed on the way) is retried.
    static constexpr qint64 JOIN_TIMEOUT_MS = 60000;

    struct Transport {
        std::function<void(bool again)> open; // again: a reconnection, not the user's start
        std::function<void()> close;
        std::function<void()> probe;
    };

    ServiceConnection(Transport transport, const Clock &clock, Random &random,
                      Probing probing = {}, QObject *parent = nullptr);

    // The user's start and stop; only stop ends reconnecting.
    void start();
    void stop();

    // What the owner reports of its link.
    void traffic();
    void joined();
    void lost();
    // The server asked to be left now (Twitch RECONNECT): a new link at once, no backoff.
    void reconnectNow();

    // Driven every TICK_MS by the window's timer.
    void tick();

    bool wanted() const { return m_state != State::Stopped; }
    State state() const { return m_state; }
    QString stateName() const;
    // Whole seconds until the next attempt while waiting, else 0.
    int retrySeconds() const;

signals:
    void changed();
    // Once per outage, when a wanted link is lost.
    void outageBegan();
    // Joined again after an outage or a RECONNECT.
    void restored();

private:
    void setState(State state);
    void attempt(bool again);
    void interrupt(qint64 delay);
    void probeFailed();
    void sendProbe(qint64 now);
    qint64 nextBackoff();

    Transport m_transport;
    Probing m_probing;
    const Clock &m_clock;
    Random &m_random;
    State m_state = State::Stopped;
    bool m_interrupted = false; // between a loss or RECONNECT and the next join
    bool m_outage = false;      // a loss line is owed only once per outage
    int m_failures = 0;
    qint64 m_lastTraffic = 0;
    qint64 m_attemptAt = 0;
    qint64 m_probeSentAt = 0; // 0: no probe pending
    qint64 m_retryAt = 0;
    qint64 m_lastTick = 0;
    int m_shownSeconds = 0;
};
