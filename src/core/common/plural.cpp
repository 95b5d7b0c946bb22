#include "plural.h"

#include "common/js.h"

QString plural(double number, const QString &one, const QString &few, const QString &lot) {
    const QString digits = numberString(number);
    const QChar last = digits.back();
    // 11–19 at the end (111, 1012) take the many form whatever their last digit.
    const bool teen = digits.size() > 1 && digits.at(digits.size() - 2) == QLatin1Char('1');
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
