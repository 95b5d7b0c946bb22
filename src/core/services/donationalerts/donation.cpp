#include "services/donationalerts/donation.h"

#include "common/js.h"

#include <QtMath>

using js::member;
using js::textOf;

namespace {
// The viewer's text on one line: line breaks and runs of spaces read as one space.
QString oneLine(const QString &text) {
    return text.simplified();
}

std::optional<qint64> idOf(const Json &value) {
    const std::optional<double> number = jsNumber(value);
    if (!number || *number < 1 || *number > double(kMaxSafeInteger) || *number != qFloor(*number))
        return std::nullopt;
    return qint64(*number);
}
} // namespace

std::optional<QString> plainAmount(const Json &value) {
    const std::optional<double> number = jsNumber(value);
    if (!number || !qIsFinite(*number))
        return std::nullopt;
    QString text = QString::number(*number, 'f', 8);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

std::optional<Donation> Donation::fromJson(const Json &record) {
    const std::optional<qint64> id = idOf(member(record, "id"));
    if (!id)
        return std::nullopt;
    Donation donation;
    donation.id = *id;
    donation.name = oneLine(textOf(record, "username"));
    if (donation.name.isEmpty())
        donation.name = QStringLiteral("Аноним");
    donation.amount = plainAmount(member(record, "amount")).value_or(QStringLiteral("0"));
    const QString currency = oneLine(textOf(record, "currency"));
    donation.currency =
        currency.compare(QLatin1String("RUB"), Qt::CaseInsensitive) == 0 ? QStringLiteral("руб.")
                                                                           : currency;
    donation.message = oneLine(textOf(record, "message"));
    donation.audio = textOf(record, "message_type") == QLatin1String("audio");
    return donation;
}

QStringList Donation::texts() const {
    QStringList texts{name, QStringLiteral(" поддержал канал на ") + amount +
                                (currency.isEmpty() ? QString() : QLatin1Char(' ') + currency)};
    if (audio)
        texts << QStringLiteral(" с голосовым сообщением");
    if (!message.isEmpty())
        texts << QStringLiteral(" и написал: \"") + message + QLatin1Char('"');
    return texts;
}
