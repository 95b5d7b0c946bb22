#pragma once

#include <QString>
#include <QStringList>

// The number, a space and the Russian form for it: for one (21, 101), for two to four (22), or
// for many (5, 25, and whenever the last two digits are 11–19: 111, 213, 1014).
QString plural(double number, const QString &one, const QString &few, const QString &lot);

// The first `shown` names, comma-separated, and how many more there are ("A, B и ещё 3").
QString namesUpTo(const QStringList &names, int shown);
