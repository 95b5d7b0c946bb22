#include "markup.h"

#include <algorithm>

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
