#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QVariantList>

class AlertPlayer;
class BotLogger;
class SoundOutputs;
class Utils;

// Which output each kind of sound plays on: the one the streamer chose while it is there, the
// system's default while it is gone, and the system's own choice when none is chosen.
class SoundRouting : public QObject {
    Q_OBJECT
    // "Как в системе" first, then the outputs by their descriptions, as {name, text} rows; a
    // chosen output that is gone stays listed so the choice shows.
    Q_PROPERTY(QVariantList outputRows READ outputRows NOTIFY outputsChanged)
public:
    enum class Use { Alerts, ChatSpeech };
    // The sound server's name of its default output: a stream there follows the default.
    inline static const QString kDefaultOutput = QStringLiteral("@DEFAULT_SINK@");

    SoundRouting(Utils &utils, BotLogger &logger, SoundOutputs &outputs, AlertPlayer &player);

    // A sound of this use is about to play: the player is pointed where it goes.
    void use(Use use);
    // Where a sound of this use plays now: an output's name, kDefaultOutput, or empty for the
    // system's own choice.
    QString outputFor(Use use) const;
    QVariantList outputRows() const;

signals:
    void outputsChanged();
    // A line for the status line.
    void status(const QString &text);

private:
    QString chosen(Use use) const;
    bool present(const QString &name) const;
    void outputsMoved();
    void sayLost();
    void say(const QString &text);

    Utils &m_utils;
    BotLogger &m_logger;
    SoundOutputs &m_outputs;
    AlertPlayer &m_player;
    Use m_use = Use::Alerts;
    QHash<QString, QString> m_descriptions; // of every output seen, by name
    QSet<QString> m_lostSaid;               // chosen outputs whose loss was said
    bool m_missingSaid = false;
};
