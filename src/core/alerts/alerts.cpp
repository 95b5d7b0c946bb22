#include "alerts.h"

#include "alerts/alertplayer.h"
#include "alerts/soundrouting.h"
#include "alerts/speechrelay.h"
#include "common/js.h"
#include "common/logging.h"
#include "model/page.h"
#include "settings/settingstable.h"
#include "settings/soundslots.h"
#include "settings/utils.h"
#include "shell/botlogger.h"
#include "shell/speechfile.h"

#include <QFileInfo>
#include <QUrl>

Alerts::Alerts(const AlertsDeps &deps)
    : m_deps(deps) {
    m_alertsTimer.setSingleShot(true);
    connect(&m_alertsTimer, &QTimer::timeout, this, &Alerts::processQueue);
    connect(&m_deps.player, &AlertPlayer::stopped, this, &Alerts::onStopped);
    connect(&m_deps.player, &AlertPlayer::error, this, &Alerts::onError);
    connect(&m_deps.relay, &SpeechRelay::audio, this, [this](const QByteArray &bytes) {
        if (m_phase != Phase::FetchingSpeech)
            return;
        m_phase = Phase::WritingSpeech;
        m_deps.speech.save(bytes);
    });
    connect(&m_deps.relay, &SpeechRelay::failed, this, [this](const QString &reason) {
        if (m_phase == Phase::FetchingSpeech)
            speechFailed(reason);
    });
    connect(&m_deps.speech, &SpeechFile::ready, this, [this](const QString &path) {
        // The speech of a record skipped meanwhile is not kept.
        if (m_phase != Phase::WritingSpeech) {
            if (!path.isEmpty())
                m_deps.speech.remove(path);
            return;
        }
        if (path.isEmpty())
            return speechFailed(QStringLiteral("не удалось записать файл речи"));
        m_current.speech = path;
        m_speechFile = path;
        advance();
    });
}

void Alerts::debug(const QString &line) {
    if (alertsInDebugMode)
        m_deps.logger.log(line, QStringLiteral("debug"));
}

void Alerts::start() {
    m_alertsTimer.setInterval(0);
    m_alertsTimer.start();
}

void Alerts::turnAlertsTimer(int timeout) {
    debug(QStringLiteral("Поставили вызов обработчика очереди в будущем"));
    m_alertsTimer.setInterval(timeout);
    m_alertsTimer.start();
}

void Alerts::processQueue() {
    debug(QStringLiteral("Запустился обработчик очереди уведомлений"));
    if (m_phase == Phase::Gap)
        m_phase = Phase::Idle;
    const auto prorogue = [this](const QString &line) {
        turnAlertsTimer();
        debug(line);
    };
    if (m_alertsPause)
        return prorogue(QStringLiteral("ВЫХОД: очередь уведомлений находится на паузе"));
    if (alertsProcessing())
        return prorogue(QStringLiteral("ВЫХОД: обрабатывается предыдущее уведомление"));
    if (m_queue.isEmpty())
        return prorogue(QStringLiteral("ВЫХОД: очередь уведомлений пустая"));
    if (m_deps.player.state() == PlayingState)
        return prorogue(QStringLiteral("Медиа плеер что-то проигрывает - ждём, когда закончит"));

    m_current = m_queue.takeFirst();
    m_skipped = false;
    m_rows.setPlaying(m_current.key);
    emit playing(m_current.line);
    // The voice message goes with the speech: a record that asks for none plays none.
    m_mail = m_current.text ? m_current.mail.value_or(QString()) : QString();
    if (m_current.text)
        requestSpeech();
    else
        startSound();
}

void Alerts::advance() {
    if (m_skipped && m_phase != Phase::Idle && m_phase != Phase::Gap)
        return startGap();
    switch (m_phase) {
    case Phase::FetchingSpeech:
    case Phase::WritingSpeech:
        return startSound();
    case Phase::Sound:
        if (m_current.speech)
            return startSpeech();
        [[fallthrough]];
    case Phase::Speech:
        if (!m_mail.isEmpty())
            return startVoiceMessage();
        [[fallthrough]];
    case Phase::VoiceMessage:
        return startGap();
    case Phase::Idle:
    case Phase::Gap:
        break;
    }
}

void Alerts::requestSpeech() {
    m_phase = Phase::FetchingSpeech;
    const QString voiceName = m_deps.utils.text(key::alertVoice);
    Json request = Json::object();
    request["token"] = stdstr(m_deps.ttsToken);
    request["text"] = stdstr(prepareText(*m_current.text));
    if (voiceName != QLatin1String("random"))
        request["voice"] = stdstr(voiceName);
    m_deps.relay.request(qstr(request.dump()));
}

// Without speech the record still plays its sound and its voice message.
void Alerts::speechFailed(const QString &reason) {
    m_deps.logger.log(QStringLiteral("ОШИБКА: речь для уведомления не получена: ") + reason,
                      QStringLiteral("error"));
    m_current.speech.reset();
    advance();
}

void Alerts::startSound() {
    m_phase = Phase::Sound;
    if (!m_mail.isEmpty() && m_current.speech)
        debug(QStringLiteral("Для медиа плеера сохранён адрес голосового сообщения с GG"));
    if (m_current.speech)
        debug(QStringLiteral(
            "Для медиа плеера установлен обработчик-ждун фйала с голосом от Яндекса"));
    if (!playSlot(m_deps.utils.soundSlotFor(m_current.service, m_current.type, m_current.level)))
        advance();
}

void Alerts::startSpeech() {
    m_phase = Phase::Speech;
    const QString speech = m_current.speech.value_or(QString());
    if (!playable(speech))
        return advance();
    debug(QStringLiteral("Дождались голосового файла от Яндекса"));
    playFile(speech, 1.0);
}

void Alerts::startVoiceMessage() {
    m_phase = Phase::VoiceMessage;
    playFile(m_mail, 1.0);
    debug(QStringLiteral("Запускаем в медиа плеере файл голосового сообщения с GG"));
}

void Alerts::startGap() {
    m_phase = Phase::Gap;
    // A speech file the record never got to play.
    if (!m_speechFile.isEmpty()) {
        m_deps.speech.remove(m_speechFile);
        m_speechFile.clear();
    }
    m_rows.remove(m_current.key);
    emit played();
    turnAlertsTimer(GAP_MS);
    debug(
        QStringLiteral("Закончили проигрывание в медиа плеере всех файлов для одного уведомления"));
}

bool Alerts::playable(const QString &source) const {
    if (source.isEmpty())
        return false;
    const QUrl url(source);
    if (url.isLocalFile())
        return QFileInfo(url.toLocalFile()).isFile();
    if (url.scheme().isEmpty())
        return QFileInfo(source).isFile();
    return true;
}

// Plays a sound slot; false when it holds no file that could play.
bool Alerts::playSlot(const SoundSlot *slot) {
    if (!slot)
        return false;
    const QString source = m_deps.utils.text(soundPointer(*slot).c_str());
    debug(QString::fromUtf8(slot->debugLine));
    if (!playable(source)) {
        if (!source.isEmpty())
            m_deps.logger.log(QStringLiteral("ОШИБКА: нет файла звукового уведомления: ") + source,
                              QStringLiteral("error"));
        return false;
    }
    playFile(source);
    return true;
}

void Alerts::playFile(const QString &source, std::optional<double> volume) {
    m_deps.routing.use(SoundRouting::Use::Alerts);
    m_deps.player.setSource(source);
    if (volume)
        m_deps.player.setVolume(*volume);
    m_fileActive = true;
    m_deps.player.play();
}

void Alerts::twitchSubAlert(int level) {
    playSlot(
        m_deps.utils.soundSlotFor(QStringLiteral("Twitch"), QStringLiteral("subscription"), level));
}

void Alerts::playSound(const QString &name) {
    playSlot(m_deps.utils.soundSlot(name));
}

// The end of one file: a test sound of the tab ends here too and moves no record on.
void Alerts::onStopped() {
    if (!m_fileActive)
        return;
    m_fileActive = false;
    debug(QStringLiteral("Состояние медиа плеера изменилось на \"") +
          getPlaybackStateString(m_deps.player.state()) + QLatin1Char('"'));
    releaseFile();
    advance();
}

// Only the speech file is ours to delete; sound files belong to the user.
void Alerts::releaseFile() {
    const QString source = m_deps.player.source();
    if (!source.isEmpty() && source == m_speechFile) {
        m_deps.speech.remove(source);
        m_speechFile.clear();
    }
    m_deps.player.setSource(QString());
    debug(QStringLiteral("Сбросили путь к файлу в медиа плеере"));
    const std::optional<double> volume = m_deps.utils.number(key::alertVolume);
    if (volume && m_deps.player.volume() != *volume) {
        m_deps.player.setVolume(*volume);
        debug(QStringLiteral("Возвращаем уровень громкости в медиа плеере"));
    }
}

// A file that fails before it ever played gets no stop from the player: end it here.
void Alerts::onError(const QString &text) {
    const QString line = QStringLiteral("Media Player Error: ") + text;
    qCDebug(lcAlerts).noquote() << line;
    debug(line);
    if (m_fileActive && m_deps.player.state() != PlayingState)
        onStopped();
}

QString Alerts::prepareText(QString text) {
    for (const auto &[written, spoken] : SUBST) {
        const int at = text.indexOf(written);
        if (at >= 0)
            text.replace(at, written.size(), spoken);
    }
    return text;
}

QString Alerts::getPlaybackStateString(int state) {
    if (state == PausedState)
        return QStringLiteral("НА ПАУЗЕ");
    if (state == PlayingState)
        return QStringLiteral("ИГРАЕТ");
    if (state == StoppedState)
        return QStringLiteral("ОСТАНОВЛЕН");
    return QStringLiteral("НЕВЕДОМАЯ ХРЕНЬ");
}

void Alerts::togglePause() {
    m_alertsPause = !m_alertsPause;
    emit alertsPauseChanged(m_alertsPause);
    m_deps.chatView.run(Page::call(QStringLiteral("turnPause"), m_alertsPause
                                                                    ? QStringLiteral("true")
                                                                    : QStringLiteral("false")));
}

void Alerts::stopPlayer() {
    m_deps.player.stop();
    debug(QStringLiteral("Остановили плеер кнопкой \"СТОП\""));
}

void Alerts::setPlayerVolume(double volume) {
    m_deps.player.setVolume(volume);
}

void Alerts::enqueue(const AlertRecord &record) {
    m_queue.append(record);
    m_queue.last().key = ++m_lastKey;
    m_rows.append(rowOf(m_queue.last()));
}

void Alerts::clearQueue() {
    m_queue.clear();
    m_rows.truncate(alertsProcessing() ? 1 : 0);
}

void Alerts::skip() {
    if (!alertsProcessing())
        return;
    m_skipped = true;
    if (m_fileActive)
        m_deps.player.stop(); // its stop moves the record on, to its gap
    else
        startGap();
}

void Alerts::takeOut(qint64 key) {
    const auto record = std::find_if(m_queue.begin(), m_queue.end(),
                                     [key](const AlertRecord &one) { return one.key == key; });
    if (record == m_queue.end())
        return;
    m_deps.logger.log(QStringLiteral("Убрано из очереди алертов: ") + record->summary,
                      QStringLiteral("event"));
    m_queue.erase(record);
    m_rows.remove(key);
}

QueueRow Alerts::rowOf(const AlertRecord &record) const {
    const SoundSlot *slot = m_deps.utils.soundSlotFor(record.service, record.type, record.level);
    const QString kind = slot ? QString::fromUtf8(slot->label) : record.type;
    return {record.key, kind + QStringLiteral(": ") + record.summary};
}
