#pragma once

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

    struct Line {
        qint64 id = 0;
        QString html;
        QStringList keys; // the message ids and nick classes moderation names the line by
        qint64 due = 0;
    };

    explicit OverlayFeed(const Clock &clock);

    void setDelaySeconds(int seconds);
    void setMaxLines(int lines);
    int delaySeconds() const { return m_delayMs / 1000; }
    bool waiting() const { return !m_held.isEmpty(); }

    void addLine(const QString &html, const QStringList &keys);
    // Every line that carries the key, waiting or shown, is gone from the stream.
    void remove(const QString &key);
    // Shows the lines whose delay is over.
    void tick();
    const QList<Line> &shown() const { return m_shown; }

signals:
    void lineShown(const OverlayFeed::Line &line);
    void lineRemoved(qint64 id);

private:
    void show(const Line &line);

    const Clock &m_clock;
    qint64 m_delayMs = 0;
    int m_maxLines = 50;
    qint64 m_nextId = 1;
    QList<Line> m_held;
    QList<Line> m_shown;
};
