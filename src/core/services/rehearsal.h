#pragma once

#include <QStringList>
#include <optional>

class Random;

// What every service's test alert is filled with: the test viewer, the test message, its nick
// colour and random amounts.
class Rehearsal {
public:
    inline static const QStringList USERS{QStringLiteral("TesterTesterov")};
    inline static const QStringList MESSAGES{QStringLiteral("Тестируем уведомления с сообщением.")};
    inline static const QString COLOR = QStringLiteral("#00aa00");

    explicit Rehearsal(Random &random)
        : m_random(random) {}

    std::optional<QString> pickFrom(const QStringList &list);
    QString user() { return pickFrom(USERS).value_or(QString()); }
    QString message() { return pickFrom(MESSAGES).value_or(QString()); }
    // Math.round(uniform * factor).
    qint64 amount(double factor);

private:
    Random &m_random;
};
