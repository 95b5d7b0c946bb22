#pragma once

#include "alerts/queuerows.h"
#include "model/messagepart.h"
#include "model/renderedline.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <optional>

class AlertPlayer;
class Alerts;
class BotLogger;
class Clock;
class SoundRouting;
class SpeechFile;
class SpeechRelay;
class Utils;

// Everything chat speech plays through: its own relay exchange and speech files, the alerts'
// player, and the alert queue it gives way to.
struct ChatSpeechDeps {
    Utils &utils;
    BotLogger &logger;
    SpeechFile &speech;
    AlertPlayer &player;
    SoundRouting &routing;
    SpeechRelay &relay;
    Alerts &alerts;
    const Clock &clock;
    QString ttsToken;
};

// Which chat lines are read, and how, as the settings say.
struct ChatSpeechRules {
    enum class Who { All, Members, Moderators };
    bool enabled = false;
    Who who = Who::All;
    bool readNick = true;
    bool skipCommands = true;
    QStringList ignored; // lower-case nicks
    int maxLength = 200;

    static ChatSpeechRules from(const Utils &utils);
};

// Chat read aloud: a second, lower queue beside the alerts'. A line waits while an alert waits
// or plays (one being read finishes first), while the queue is paused, and at most 30 s; a
// full queue drops its oldest line, moderation drops the lines it names.
class ChatSpeech : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool speaking READ speaking NOTIFY speakingChanged)
    // The lines waiting to be read.
    Q_PROPERTY(QueueRows *waitingRows READ waitingRows CONSTANT)
public:
    static constexpr qint64 kMaxWaitMs = 30000;
    static constexpr int kPollMs = 100;

    explicit ChatSpeech(const ChatSpeechDeps &deps);

    // The text a chat line is read as; none when it is not read at all.
    static std::optional<QString> spokenText(const MessageParts &parts,
                                             const ChatSpeechRules &rules);

    // A line of the chat view.
    void offer(const RenderedLine &line);
    // A moderator's strike or removal: the lines it names are not read.
    void moderated(const QString &key);
    // Drops what waited too long, and starts the next line when nothing else speaks.
    void tick();
    // The skip button: the line being read ends.
    Q_INVOKABLE void skip();
    // A waiting line is not read; the event log says so.
    Q_INVOKABLE void takeOut(qint64 key);

    int waiting() const { return m_waiting.size(); }
    QueueRows *waitingRows() { return &m_rows; }
    bool speaking() const { return m_phase == Phase::Speaking; }

signals:
    // A line was queued to be read, as it will be said.
    void queued(const QString &text);
    void speakingChanged();

private:
    struct Line {
        QString text;
        QStringList keys;
        qint64 at = 0;
        qint64 key = 0;
    };
    enum class Phase { Idle, Fetching, Writing, Speaking };

    bool alertsFirst() const;
    void startNext();
    void holdCurrent();
    void play(const QString &path);
    void finished();
    void setPhase(Phase phase);
    // Drops the waiting lines that match, and tells the view when any went.
    template <typename Match> void dropWaiting(Match match);
    QString voice() const;

    ChatSpeechDeps m_deps;
    QList<Line> m_waiting;
    QueueRows m_rows; // m_waiting in view
    Line m_current;
    Phase m_phase = Phase::Idle;
    QString m_file;            // the speech file being read; ours to delete
    bool m_relayDownSaid = false;
    qint64 m_lastKey = 0;
    QTimer m_timer;
};
