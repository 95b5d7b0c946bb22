#pragma once

#include "alerts/queuerows.h"
#include "model/alertqueue.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>
#include <QTimer>
#include <optional>

class AlertPlayer;
class BotLogger;
class Page;
class SpeechFile;
class SoundRouting;
class SpeechRelay;
struct SoundSlot;
class Utils;

// Everything the alert queue plays through and reports to.
struct AlertsDeps {
    Utils &utils;
    BotLogger &logger;
    SpeechFile &speech;
    AlertPlayer &player;
    SoundRouting &routing;
    SpeechRelay &relay;
    Page &chatView;
    QString ttsToken;
};

// The alert queue: one record at a time, its sound, then its speech, then its voice message,
// then a two-second gap.
class Alerts : public QObject, public AlertQueue {
    Q_OBJECT
    Q_PROPERTY(bool alertsPause READ alertsPause NOTIFY alertsPauseChanged)
    Q_PROPERTY(bool alertsInDebugMode MEMBER alertsInDebugMode)
    // The one playing first, then the waiting ones, each as "kind: text".
    Q_PROPERTY(QueueRows *queueRows READ queueRows CONSTANT)
public:
    static constexpr int StoppedState = 0;
    static constexpr int PlayingState = 1;
    static constexpr int PausedState = 2;
    static constexpr int IDLE_POLL_MS = 100;
    static constexpr int GAP_MS = 2000;
    inline static const QList<QPair<QString, QString>> SUBST{
        {QStringLiteral("переподписан"), QStringLiteral("переподп+исан")},
        {QStringLiteral("стрик - "), QStringLiteral("стрик ")},
        {QStringLiteral("захостил"), QStringLiteral("зах+остил")},
        {QStringLiteral("Gvelt0rn"), QStringLiteral("Gveltorn")}};

    explicit Alerts(const AlertsDeps &deps);

    const QList<AlertRecord> &QUEUE() const { return m_queue; }
    // A new alert waits behind the others.
    void enqueue(const AlertRecord &record) override;
    // Every waiting alert is dropped (a replay that only measures).
    void clearQueue();
    QueueRows *queueRows() { return &m_rows; }
    bool alertsPause() const { return m_alertsPause; }
    // One record is on its way through its phases; the gap after it no longer counts.
    bool alertsProcessing() const { return m_phase != Phase::Idle && m_phase != Phase::Gap; }
    bool alertsInDebugMode = false;

    const QTimer &alertsTimer() const { return m_alertsTimer; }
    // The first queue step, right after start-up; later steps re-arm the timer themselves.
    void start();

    void processQueue();
    void turnAlertsTimer(int timeout = IDLE_POLL_MS);
    Q_INVOKABLE void twitchSubAlert(int level);
    // The sound of one slot of the Alerts tab, by its name ("sub1", "prem", …).
    Q_INVOKABLE void playSound(const QString &name);
    static QString prepareText(QString text);
    Q_INVOKABLE static QString getPlaybackStateString(int state);

    // The pause shortcut: flips the pause and shows it in the chat page.
    Q_INVOKABLE void togglePause();
    // The "СТОП" button: skips the file that is playing.
    Q_INVOKABLE void stopPlayer();
    // The volume slider.
    Q_INVOKABLE void setPlayerVolume(double volume);
    // The one playing ends with its speech and voice message; the queue goes on.
    Q_INVOKABLE void skip();
    // A waiting one never plays; the event log says so.
    Q_INVOKABLE void takeOut(qint64 key);

signals:
    void alertsPauseChanged(bool pause);
    // A record begins its sound, speech and voice message; it ended when its gap begins.
    void playing(qint64 line); // the id of the record's rendered line
    void played();

private:
    // Where the record taken last is; each phase that cannot play is passed at once.
    enum class Phase { Idle, FetchingSpeech, WritingSpeech, Sound, Speech, VoiceMessage, Gap };

    // Leaves the phase that has just ended for the next one.
    void advance();
    void requestSpeech();
    void speechFailed(const QString &reason);
    void startSound();
    void startSpeech();
    void startVoiceMessage();
    void startGap();
    bool playSlot(const SoundSlot *slot);
    bool playable(const QString &source) const;
    void playFile(const QString &source, std::optional<double> volume = std::nullopt);
    void releaseFile();
    void onStopped();
    void onError(const QString &text);
    void debug(const QString &line);
    QueueRow rowOf(const AlertRecord &record) const;

    AlertsDeps m_deps;
    QList<AlertRecord> m_queue;
    QueueRows m_rows;
    bool m_alertsPause = false;
    QTimer m_alertsTimer;
    Phase m_phase = Phase::Idle;
    AlertRecord m_current;     // the record taken last
    QString m_mail;            // its voice message, when it asked for speech
    bool m_fileActive = false; // a file was started and its stop has not come yet
    QString m_speechFile;      // the only file the queue may delete
    bool m_skipped = false;    // the record taken last plays nothing more
    qint64 m_lastKey = 0;
};
