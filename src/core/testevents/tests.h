#pragma once

#include "common/json.h"

#include <QObject>
#include <QStringList>
#include <optional>

class Goodgame;
class Random;
class Twitch;

// Fabricates channel events in the services' own wire formats and feeds them through the
// ordinary processing, marked as tests.
class Tests : public QObject {
    Q_OBJECT
public:
    inline static const QStringList USERS{QStringLiteral("TesterTesterov")};
    inline static const QStringList MESSAGES{QStringLiteral("Тестируем уведомления с сообщением.")};
    inline static const QString COLOR = QStringLiteral("#00aa00");
    // The domain Twitch's own chat lines carry in their prefix.
    inline static const QString TWITCH_DOMAIN = QStringLiteral("tmi.twitch.tv");

    Tests(Twitch &twitch, Goodgame &goodgame, Random &random);

    // A level outside 0…3 (the default) picks one at random.
    Q_INVOKABLE void testTwitchSub(int subLevel = -1);
    Q_INVOKABLE void testTwitchSubGift();
    Q_INVOKABLE void testTwitchBits();
    Q_INVOKABLE void testTwitchRaid();
    Q_INVOKABLE void testTwitchHost();
    Q_INVOKABLE void testTwitchFollow();
    Q_INVOKABLE void testGoodgamePrem(int premStreak = 0);
    Q_INVOKABLE void testGoodgameDonat();

    std::optional<QString> getRandomFrom(const QStringList &list);
    QString getUser();
    QString getMessage();
    static QString buildTwitchMessage(const QString &type, const std::optional<Json> &tags,
                                      const QString &user, const QString &channel,
                                      const QString &text);
    static QString buildGoodgameMessage(const QString &type, const QString &user, const Json &data);
    void testGoodgame(const QString &data);
    // The full test of one sound slot of the Alerts tab, by its name.
    Q_INVOKABLE void testSound(const QString &slotName);

private:
    static Json viewerTags(const QString &user);
    // Math.round(uniform * factor).
    qint64 randomAmount(double factor);
    void feedTwitch(const QString &type, const Json &tags, const QString &user,
                    const QString &text);

    Twitch &m_twitch;
    Goodgame &m_goodgame;
    Random &m_random;
};
