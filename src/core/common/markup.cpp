#include "markup.h"

#include <QHash>
#include <algorithm>
#include <optional>

QString escapeMarkup(const QString &value, MarkupContext context) {
    QString result;
    result.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('<'))
            result += QLatin1String("&lt;");
        else if (c == QLatin1Char('>'))
            result += QLatin1String("&gt;");
        else if (c == QLatin1Char('&') && context != MarkupContext::OwnText)
            result += QLatin1String("&amp;");
        else if (c == QLatin1Char('"') && context == MarkupContext::Attribute)
            result += QLatin1String("&quot;");
        else
            result += c;
    }
    return result;
}

QString cssValue(const QString &value) {
    QString result;
    for (const QChar c : value) {
        if ((c.unicode() < 0x80 && c.isLetterOrNumber()) || QStringLiteral("#-(),.% ").contains(c))
            result += c;
    }
    return result;
}

namespace {
// The character a numeric entity's digits name, if it is one a text may hold.
std::optional<char32_t> numericEntity(QStringView digits) {
    bool ok = false;
    const bool hex = digits.startsWith(QLatin1Char('x')) || digits.startsWith(QLatin1Char('X'));
    const uint code = (hex ? digits.mid(1) : digits).toString().toUInt(&ok, hex ? 16 : 10);
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return char32_t(code);
}
} // namespace

QString decodeEntities(const QString &text) {
    static const QHash<QString, QString> named{
        {QStringLiteral("lt"), QStringLiteral("<")},    {QStringLiteral("gt"), QStringLiteral(">")},
        {QStringLiteral("amp"), QStringLiteral("&")},   {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")}};
    QString result;
    result.reserve(text.size());
    int from = 0;
    for (int amp = text.indexOf(QLatin1Char('&')); amp >= 0; amp = text.indexOf(QLatin1Char('&'), from)) {
        const int semicolon = text.indexOf(QLatin1Char(';'), amp + 1);
        result += QStringView(text).mid(from, amp - from);
        from = amp + 1;
        if (semicolon < 0 || semicolon - amp > 10) {
            result += QLatin1Char('&');
            continue;
        }
        const QStringView name = QStringView(text).mid(amp + 1, semicolon - amp - 1);
        QString decoded = named.value(name.toString());
        if (decoded.isEmpty() && name.startsWith(QLatin1Char('#'))) {
            if (const std::optional<char32_t> code = numericEntity(name.mid(1)))
                decoded = QString::fromUcs4(&*code, 1);
        }
        if (decoded.isEmpty()) {
            result += QLatin1Char('&');
            continue;
        }
        result += decoded;
        from = semicolon + 1;
    }
    result += QStringView(text).mid(from);
    return result;
}
