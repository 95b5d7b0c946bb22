#pragma once

#include "model/renderedline.h"

#include <QList>
#include <QObject>
#include <QStringList>

class Clock;

// The chat as the stream shows it: each line waits out the moderation delay, a line removed
// while it waits never shows, and only the newest lines are kept for a page that joins.
class OverlayFeed : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxDelaySeconds = 15;

    explicit OverlayFeed(const Clock &clock);

    void setDelaySeconds(int seconds);
    void setMaxLines(int lines);
    int delaySeconds() const { return m_delayMs / 1000; }
    bool waiting() const { return !m_held.isEmpty(); }

    void addLine(const RenderedLine &line);
    // Every line that carries the key, waiting or shown, is gone from the stream.
    void remove(const QString &key);
    // Shows the lines whose delay is over.
    void tick();
    const QList<RenderedLine> &shown() const { return m_shown; }

signals:
    void lineShown(const RenderedLine &line);
    void lineRemoved(qint64 id);

private:
    struct Held {
        RenderedLine line;
        qint64 due = 0;
    };

    void show(const RenderedLine &line);

    const Clock &m_clock;
    qint64 m_delayMs = 0;
    int m_maxLines = 50;
    QList<Held> m_held;
    QList<RenderedLine> m_shown;
};
