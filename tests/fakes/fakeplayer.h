#pragma once

#include "alerts/alertplayer.h"

#include <QStringList>

// A player that plays until the test ends the file; it writes down what it was asked to play.
class FakePlayer final : public AlertPlayer {
public:
    QString source() const override { return m_source; }
    void setSource(const QString &source) override { m_source = source; }
    double volume() const override { return m_volume; }
    void setVolume(double volume) override { m_volume = volume; }
    int state() const override { return m_state; }
    void setOutput(const QString &output) override { this->output = output; }

    void play() override {
        played << QStringLiteral("%1 @%2").arg(m_source).arg(m_volume);
        if (m_state == PlayingState)
            return;
        m_state = PlayingState;
        emit stateChanged(m_state);
    }

    void stop() override { finish(); }

    // The end of the file (or a stop): stopped first, then the state change.
    void finish() {
        if (m_state == StoppedState)
            return;
        m_state = StoppedState;
        emit stopped();
        emit stateChanged(m_state);
    }

    // A file that cannot be decoded: an error, and the stop when it had started.
    void fail(const QString &text) {
        finish();
        emit error(text);
    }

    QStringList played; // "source @volume", in order
    QString output;

private:
    QString m_source;
    double m_volume = 0.75;
    int m_state = StoppedState;
};
