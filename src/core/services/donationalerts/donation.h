#pragma once

#include "common/json.h"

#include <QString>
#include <QStringList>
#include <optional>

// One donation as DonationAlerts sends it, read into what the alert says.
struct Donation {
    qint64 id = 0;
    QString name;    // the donor, "Аноним" when none was given
    QString amount;  // as sent, with a point: 150, 99.5
    QString currency; // "руб." for rubles, else the code
    QString message; // on one line
    bool audio = false;

    // None without a usable id: such a donation cannot be told from another.
    static std::optional<Donation> fromJson(const Json &record);
    // The alert's texts, in order: who gave how much, then the voice and the message.
    QStringList texts() const;
};

// A number from the wire as a person writes it: no exponent, no trailing zeros; none for
// anything that is no finite number.
std::optional<QString> plainAmount(const Json &value);
