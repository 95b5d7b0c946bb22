#include "mediaalertplayer.h"

#include <QAudio>
#include <QUrl>

MediaAlertPlayer::MediaAlertPlayer(QObject *parent)
    : AlertPlayer(parent) {
    m_player.setAudioRole(QAudio::MusicRole);
    connect(&m_player, &QMediaPlayer::stateChanged, this,
            [this](QMediaPlayer::State state) { report(state); });
    connect(&m_player, qOverload<QMediaPlayer::Error>(&QMediaPlayer::error), this, [this] {
        report(StoppedState);
        emit error(m_player.errorString());
    });
}

void MediaAlertPlayer::report(int state) {
    if (state == m_state)
        return;
    m_state = state;
    if (state == StoppedState)
        emit stopped();
    emit stateChanged(state);
}

// Sound slots hold file URLs, speech files are plain paths.
void MediaAlertPlayer::setSource(const QString &source) {
    m_source = source;
    if (source.isEmpty())
        m_player.setMedia(QMediaContent());
    else if (source.startsWith(QLatin1Char('/')))
        m_player.setMedia(QUrl::fromLocalFile(source));
    else
        m_player.setMedia(QUrl(source));
}

double MediaAlertPlayer::volume() const {
    return m_player.volume() / 100.0;
}

void MediaAlertPlayer::setVolume(double volume) {
    m_player.setVolume(qRound(qBound(0.0, volume, 1.0) * 100));
}
