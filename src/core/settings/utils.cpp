#include "utils.h"

#include "chat/page.h"
#include "common/js.h"
#include "net/endpoints.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"

#include <QDebug>

Utils::Utils(BotConfig &config, BotLogger &logger, const Endpoints &endpoints)
    : m_config(config)
    , m_logger(logger)
    , m_twitchDefaultHost(endpoints.twitchChatHost) {}

Json Utils::defaultSettings() const {
    const auto colors = [](const char *bg, const char *fg) {
        return Json{{"bg", bg}, {"fg", fg}};
    };
    return Json{
        {"services",
         {{"twitch",
           {{"host", stdstr(m_twitchDefaultHost)},
            {"port", stdstr(TWITCH_DEFAULT_PORT)},
            {"login", ""},
            {"password", ""},
            {"channel", ""}}},
          {"goodgame", {{"login", ""}, {"password", ""}, {"channel", ""}}}}},
        {"view",
         {{"chat",
           {{"color", colors("#303030", "#f0f0f0")},
            {"font", {{"name", "Marmelad"}, {"type", "sans-serif"}}},
            {"size", 16},
            {"animation", ""}}},
          {"addressed", {{"color", colors("#f0f0f0", "#303030")}, {"words", Json::array()}}}}},
        {"alerts",
         {{"volume", 0.75},
          {"twitch",
           {{"sub1", ""},
            {"sub2", ""},
            {"sub3", ""},
            {"prime", ""},
            {"gift", ""},
            {"bits", ""},
            {"raid", ""},
            {"host", ""},
            {"follow", ""}}},
          {"goodgame", {{"premium", ""}, {"donation", ""}}},
          {"voice", ""}}},
    };
}

// A stored text that is not a JSON record falls back to the defaults; the text itself goes
// to the error log so nothing the user had is lost before the next save replaces it.
void Utils::loadConfig() {
    const QString stored = m_config.get();
    Json settings = defaultSettings();
    if (!stored.isEmpty()) {
        Json parsed = parseJson(stored);
        if (parsed.is_object()) {
            settings = std::move(parsed);
        } else {
            // The text is not logged: it holds the chat token and the GoodGame password.
            const QString message =
                m_config.keepBroken()
                    ? QStringLiteral("ОШИБКА: settings.json не является записью JSON; он "
                                     "сохранён как settings.json.broken, взяты настройки по "
                                     "умолчанию")
                    : QStringLiteral("ОШИБКА: settings.json не является записью JSON, взяты "
                                     "настройки по умолчанию");
            qWarning().noquote() << message;
            m_logger.log(message, QStringLiteral("error"));
        }
    }
    defineValues(defaultSettings(), settings);
    m_currentSettings = std::move(settings);
}

namespace {
// Integers and fractions are both numbers; otherwise the JSON types must agree.
bool sameKind(const Json &a, const Json &b) {
    return a.is_number() ? b.is_number() : a.type() == b.type();
}
} // namespace

// A stored value of another kind than its default is replaced by the default, so readers
// never meet a string where they expect a record, nor a number where they expect a text.
void Utils::defineValues(const Json &source, Json &target) {
    for (const auto &[key, value] : source.items()) {
        const auto it = target.find(key);
        if (it == target.end() || !sameKind(value, *it))
            target[key] = value;
        else if (value.is_object())
            defineValues(value, *it);
    }
}

QString Utils::convertToCSS(const Rgb &clr) {
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

QString Utils::buildCustomCSS() const {
    const Json &colors = jsonAt(m_currentSettings, {"view", "addressed", "color"});
    const QStringList rules{QStringLiteral("li div.addressed { background-color: ") +
                            jsString(jsonAt(colors, {"bg"})) + QStringLiteral("; color: ") +
                            jsString(jsonAt(colors, {"fg"})) +
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

bool Utils::isAddressedText(const QString &text) const {
    const Json &words = jsonAt(m_currentSettings, {"view", "addressed", "words"});
    if (!words.is_array())
        return false;
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

void Utils::runInWeb(Page &webView, const QString &methodName, const QString &methodData) {
    webView.run(Page::call(methodName, methodData));
}
