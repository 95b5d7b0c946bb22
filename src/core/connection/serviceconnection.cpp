#include "serviceconnection.h"

#include "common/clock.h"
#include "common/random.h"

#include <QtMath>

ServiceConnection::ServiceConnection(Transport transport, const Clock &clock, Random &random,
                                     Probing probing, QObject *parent)
    : QObject(parent)
    , m_transport(std::move(transport))
    , m_probing(probing)
    , m_clock(clock)
    , m_random(random) {}

QString ServiceConnection::stateName() const {
    switch (m_state) {
    case State::Stopped:
        return QStringLiteral("stopped");
    case State::Connecting:
        return QStringLiteral("connecting");
    case State::Connected:
        return QStringLiteral("connected");
    case State::Waiting:
        return QStringLiteral("reconnecting");
    }
    return {};
}

int ServiceConnection::retrySeconds() const {
    if (m_state != State::Waiting)
        return 0;
    const qint64 left = m_retryAt - m_clock.now();
    return left > 0 ? int((left + 999) / 1000) : 0;
}

void ServiceConnection::setState(State state) {
    m_state = state;
    m_shownSeconds = retrySeconds();
    emit changed();
}

void ServiceConnection::start() {
    if (wanted())
        return;
    m_failures = 0;
    m_interrupted = m_outage = false;
    attempt(false);
}

void ServiceConnection::stop() {
    if (!wanted())
        return;
    setState(State::Stopped);
    m_transport.close();
}

void ServiceConnection::attempt(bool again) {
    m_lastTraffic = m_lastTick = m_attemptAt = m_clock.now();
    m_probeSentAt = 0;
    setState(State::Connecting);
    m_transport.open(again);
}

void ServiceConnection::traffic() {
    if (!wanted())
        return;
    m_lastTraffic = m_clock.now();
    m_probeSentAt = 0;
}

void ServiceConnection::joined() {
    if (m_state != State::Connecting)
        return;
    m_failures = 0;
    m_outage = false;
    setState(State::Connected);
    if (m_interrupted) {
        m_interrupted = false;
        emit restored();
    }
}

void ServiceConnection::lost() {
    if (wanted() && m_state != State::Waiting)
        interrupt(nextBackoff());
}

// The state changes before the socket is closed: closing reports the loss again.
void ServiceConnection::interrupt(qint64 delay) {
    m_retryAt = m_clock.now() + delay;
    m_interrupted = true;
    setState(State::Waiting);
    m_transport.close();
    if (!m_outage) {
        m_outage = true;
        emit outageBegan();
    }
}

void ServiceConnection::reconnectNow() {
    if (!wanted())
        return;
    m_interrupted = true;
    m_state = State::Waiting;
    m_transport.close();
    attempt(true);
}

qint64 ServiceConnection::nextBackoff() {
    const qint64 base = qMin(MAX_BACKOFF_MS, FIRST_BACKOFF_MS << qMin(m_failures, 16));
    ++m_failures;
    const double jitter = 0.8 + 0.4 * m_random.uniform();
    return qMin(MAX_BACKOFF_MS, qint64(qRound64(double(base) * jitter)));
}

// The probe's wait already was this step's wait: the new link opens at once, and the
// next failure waits the step after.
void ServiceConnection::probeFailed() {
    ++m_failures;
    interrupt(0);
    attempt(true);
}

void ServiceConnection::sendProbe(qint64 now) {
    m_probeSentAt = now;
    m_transport.probe();
}

void ServiceConnection::tick() {
    const qint64 now = m_clock.now();
    const bool woke = m_lastTick > 0 && now - m_lastTick > TICK_MS + LATE_TICK_MS;
    m_lastTick = now;
    switch (m_state) {
    case State::Stopped:
        return;
    case State::Waiting:
        if (now >= m_retryAt)
            attempt(true);
        else if (retrySeconds() != m_shownSeconds)
            setState(State::Waiting);
        return;
    case State::Connecting:
    case State::Connected:
        if (m_state == State::Connecting && m_interrupted && now - m_attemptAt >= JOIN_TIMEOUT_MS)
            lost();
        else if (woke)
            sendProbe(now);
        else if (m_probeSentAt > 0 && now - m_probeSentAt >= m_probing.timeoutMs)
            probeFailed();
        else if (m_probeSentAt == 0 && now - m_lastTraffic >= m_probing.afterMs)
            sendProbe(now);
        return;
    }
}
