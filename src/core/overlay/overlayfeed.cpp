#include "overlayfeed.h"

#include "common/clock.h"

#include <QtGlobal>

OverlayFeed::OverlayFeed(const Clock &clock)
    : m_clock(clock) {}

void OverlayFeed::setDelaySeconds(int seconds) {
    m_delayMs = qint64(qBound(0, seconds, kMaxDelaySeconds)) * 1000;
}

void OverlayFeed::setMaxLines(int lines) {
    m_maxLines = qMax(1, lines);
    while (m_shown.size() > m_maxLines)
        m_shown.removeFirst();
}

void OverlayFeed::addLine(const RenderedLine &line) {
    if (m_delayMs == 0)
        show(line);
    else
        m_held << Held{line, m_clock.now() + m_delayMs};
}

void OverlayFeed::remove(const QString &key) {
    m_held.erase(std::remove_if(m_held.begin(), m_held.end(),
                                [&key](const Held &held) { return held.line.keys.contains(key); }),
                 m_held.end());
    for (auto it = m_shown.begin(); it != m_shown.end();) {
        if (it->keys.contains(key)) {
            emit lineRemoved(it->id);
            it = m_shown.erase(it);
        } else {
            ++it;
        }
    }
}

// Lines wait in the order they came, so the first one not due ends the round.
void OverlayFeed::tick() {
    const qint64 now = m_clock.now();
    while (!m_held.isEmpty() && m_held.first().due <= now)
        show(m_held.takeFirst().line);
}

void OverlayFeed::show(const RenderedLine &line) {
    m_shown << line;
    while (m_shown.size() > m_maxLines)
        m_shown.removeFirst();
    emit lineShown(line);
}
