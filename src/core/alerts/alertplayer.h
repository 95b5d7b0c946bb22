#pragma once

#include <QObject>
#include <QString>

// The one media player of the alert queue and of the Alerts tab's sound buttons.
class AlertPlayer : public QObject {
    Q_OBJECT
public:
    enum State { StoppedState = 0, PlayingState = 1, PausedState = 2 };

    using QObject::QObject;

    // The source as it was given: a file URL, a plain path or an empty text for none.
    virtual QString source() const = 0;
    virtual void setSource(const QString &source) = 0;
    virtual double volume() const = 0; // 0…1
    virtual void setVolume(double volume) = 0;
    virtual int state() const = 0;
    // Where the next file plays, and the one playing when it can move there: a sound server's
    // output by name, or empty for the system's own choice.
    virtual void setOutput(const QString &output) = 0;
    virtual void play() = 0;
    virtual void stop() = 0;

signals:
    // Emitted at every stop (end of media, stop(), an error while playing), always before the
    // stateChanged of the same stop.
    void stopped();
    void stateChanged(int state);
    void error(const QString &text);
};
