#include "js.h"

#include <QStringList>
#include <cmath>
#include <cstring>

// Written by hand: every chat line is encoded, and the generic encoder is several times slower.
QString encodeURIComponent(const QString &text) {
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QByteArray encoded(utf8.size() * 3, Qt::Uninitialized);
    char *out = encoded.data();
    for (const char byte : utf8) {
        const auto c = static_cast<unsigned char>(byte);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            (c && std::strchr("-_.!~*'()", c))) {
            *out++ = byte;
        } else {
            *out++ = '%';
            *out++ = hex[c >> 4];
            *out++ = hex[c & 15];
        }
    }
    encoded.truncate(out - encoded.data());
    return QString::fromLatin1(encoded);
}

// Number-to-string as a script prints it.
QString numberString(double number) {
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

QString jsString(const Json &value) {
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

std::optional<qint64> parseInt(QStringView text) {
    constexpr qint64 limit = qint64(1) << 53;
    int i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');
    const int first = i;
    qint64 value = 0;
    for (; i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 0x80; ++i)
        value = std::min(limit, value * 10 + (text.at(i).unicode() - '0'));
    if (i == first)
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<qint64> countOf(QStringView text) {
    const std::optional<qint64> value = parseInt(text);
    if (!value || *value < 0 || *value > kMaxSafeInteger)
        return std::nullopt;
    return value;
}

std::optional<double> countOf(const Json &value) {
    const std::optional<double> number = jsNumber(value);
    if (!number || !std::isfinite(*number) || *number < 0 || *number > double(kMaxSafeInteger))
        return std::nullopt;
    return number;
}

QString jsQuote(const QString &text) {
    QString result = QStringLiteral("'");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('\''))
            result += QLatin1Char('\\') + QString(c);
        else if (c.unicode() < 0x20 || c == QChar(0x2028) || c == QChar(0x2029))
            result += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            result += c;
    }
    return result + QLatin1Char('\'');
}

std::optional<double> jsNumber(const Json &value) {
    if (value.is_number())
        return value.get<double>();
    if (value.is_boolean())
        return value.get<bool>() ? 1.0 : 0.0;
    if (!value.is_string())
        return std::nullopt;
    const QString text = qstr(value.get<std::string>()).trimmed();
    if (text.isEmpty())
        return 0.0;
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

bool jsTruthy(const Json &value) {
    switch (value.type()) {
    case Json::value_t::boolean:
        return value.get<bool>();
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float: {
        const double number = value.get<double>();
        return number != 0 && !std::isnan(number);
    }
    case Json::value_t::string:
        return !value.get_ref<const std::string &>().empty();
    case Json::value_t::object:
    case Json::value_t::array:
        return true;
    default:
        return false;
    }
}
