#include "js.h"

#include <QUrl>
#include <cmath>

QString encodeURIComponent(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, QByteArrayLiteral("-_.!~*'()")));
}

namespace {
QString numberString(double number)
{
    if (std::isnan(number))
        return QStringLiteral("NaN");
    if (std::isinf(number))
        return number > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (number == std::floor(number) && std::fabs(number) < 1e21)
        return QString::number(number, 'f', 0);
    // The shortest text that reads back as the same number, as scripts print it.
    QString text;
    for (int precision = 1; precision <= 17; ++precision) {
        text = QString::number(number, 'g', precision);
        if (text.toDouble() == number)
            break;
    }
    return text;
}
} // namespace

QString jsString(const Json &value)
{
    switch (value.type()) {
    case Json::value_t::string:
        return qstr(value.get<std::string>());
    case Json::value_t::boolean:
        return value.get<bool>() ? QStringLiteral("true") : QStringLiteral("false");
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return numberString(value.get<double>());
    case Json::value_t::array: {
        QStringList items;
        for (const Json &item : value)
            items << (item.is_null() ? QString() : jsString(item));
        return items.join(QLatin1Char(','));
    }
    case Json::value_t::object:
        return QStringLiteral("[object Object]");
    case Json::value_t::null:
        return QStringLiteral("null");
    default:
        return QStringLiteral("undefined");
    }
}
