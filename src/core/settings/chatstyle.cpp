#include "chatstyle.h"

#include "common/js.h"
#include "model/page.h"
#include "settings/settingstable.h"
#include "settings/utils.h"

QString convertToCSS(const Rgb &clr) {
    static const char digits[] = "0123456789abcdef";
    QString result = QStringLiteral("#");
    for (const qreal component : {clr.red, clr.green, clr.blue}) {
        // The epsilon keeps 8-bit colours exact through 16-bit colour storage.
        const int v = qBound(0, static_cast<int>(component * 255 + 1e-7), 255);
        result += QLatin1Char(digits[v / 16]);
        result += QLatin1Char(digits[v % 16]);
    }
    return result;
}

QString buildCustomCSS(const Utils &settings) {
    const QStringList rules{QStringLiteral("li div.addressed { background-color: ") +
                            settings.text(key::addressedBackground) + QStringLiteral("; color: ") +
                            settings.text(key::addressedForeground) +
                            QStringLiteral("; display: inline; padding: 1px 3px 3px; }")};
    return encodeURIComponent(rules.join(QLatin1Char('\n')));
}

namespace {
// The token without any of the marks "@:,.!?-" (a hand loop: this runs for every word of chat).
QString withoutMarks(const QString &token) {
    static const QString marks = QStringLiteral("@:,.!?-");
    QString result;
    result.reserve(token.size());
    for (const QChar c : token) {
        if (!marks.contains(c))
            result += c;
    }
    return result;
}
} // namespace

bool isAddressedText(const Utils &settings, const QString &text) {
    const Json::json_pointer path(key::addressedWords);
    const Json &stored = settings.currentSettings();
    if (!stored.contains(path) || !stored.at(path).is_array())
        return false;
    const Json &words = stored.at(path);
    for (QString token : text.split(QLatin1Char(' '))) {
        token = withoutMarks(token.trimmed().toLower());
        if (token.isEmpty())
            continue;
        for (const Json &word : words) {
            if (word.is_string() && qstr(word.get<std::string>()) == token)
                return true;
        }
    }
    return false;
}

void sendChatStyle(const Utils &settings, Page &chatView) {
    const auto call = [&chatView](const char *function, const QString &argument) {
        chatView.run(Page::call(QLatin1String(function), argument));
    };
    call("setBGColor", jsQuote(settings.text(key::chatBackground)));
    call("setColor", jsQuote(settings.text(key::chatForeground)));
    call("setFontFamily",
         qstr(jsonAt(settings.currentSettings(), {"view", "chat", "font"}).dump()));
    call("setFontSize", jsQuote(settings.text(key::chatSize)));
    call("setAnimation", jsQuote(settings.text(key::chatAnimation)));
    call("setCustomCSS", jsQuote(buildCustomCSS(settings)));
}
