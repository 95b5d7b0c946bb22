#include "rehearsal.h"

#include "common/random.h"

#include <cmath>

qint64 Rehearsal::amount(double factor) {
    return static_cast<qint64>(std::floor(m_random.uniform() * factor + 0.5));
}

std::optional<QString> Rehearsal::pickFrom(const QStringList &list) {
    if (list.isEmpty())
        return std::nullopt;
    const int index = list.size() == 1 ? 0 : int(amount(list.size() - 1));
    return list.at(index);
}
