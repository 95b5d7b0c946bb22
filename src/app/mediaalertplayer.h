#pragma once

#include "alerts/alertplayer.h"

#include <QMediaPlayer>

// The alert player on QMediaPlayer (music role). Every stop, including one caused by an error,
// is reported once, as stopped() and then stateChanged().
class MediaAlertPlayer final : public AlertPlayer {
    Q_OBJECT
public:
    explicit MediaAlertPlayer(QObject *parent = nullptr);

    QString source() const override { return m_source; }
    void setSource(const QString &source) override;
    double volume() const override;
    void setVolume(double volume) override;
    int state() const override { return m_state; }
    void play() override { m_player.play(); }
    void stop() override { m_player.stop(); }

private:
    void report(int state);

    QMediaPlayer m_player;
    QString m_source;
    int m_state = StoppedState;
};
