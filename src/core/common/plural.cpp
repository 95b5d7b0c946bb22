#include "plural.h"

#include "common/js.h"

QString plural(double number, const QString &one, const QString &few, const QString &lot) {
    const QString digits = numberString(number);
    const QChar last = digits.back();
    const bool teen = number > 10 && number < 20;
    QString form = lot;
    if (!teen && last == QLatin1Char('1'))
        form = one;
    else if (!teen && QStringLiteral("234").contains(last))
        form = few;
    return digits + QLatin1Char(' ') + form;
}

QString namesUpTo(const QStringList &names, int shown) {
    QString text = names.mid(0, shown).join(QStringLiteral(", "));
    if (names.size() > shown)
        text += QStringLiteral(" и ещё ") + QString::number(names.size() - shown);
    return text;
}
