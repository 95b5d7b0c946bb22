#include "utils.h"

#include "common/js.h"
#include "common/logging.h"
#include "model/page.h"
#include "net/endpoints.h"
#include "settings/lists.h"
#include "settings/soundslots.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"

Utils::Utils(BotConfig &config, BotLogger &logger, const Endpoints &endpoints)
    : m_config(config)
    , m_logger(logger)
    , m_twitchDefaultHost(endpoints.twitchChatHost) {}

Json Utils::defaultSettings() const {
    const auto colors = [](const char *bg, const char *fg) {
        return Json{{"bg", bg}, {"fg", fg}};
    };
    Json alerts{{"volume", 0.75}};
    for (const SoundSlot &slot : soundSlots())
        alerts[slot.group][slot.key] = "";
    alerts["voice"] = "";
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
        {"alerts", alerts},
    };
}

// A stored text that is not a JSON record falls back to the defaults; the file is kept aside
// so nothing the user had is lost when the next save writes a fresh one.
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
            qCWarning(lcSettings).noquote() << message;
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

namespace {

QString nameOf(const ListModel &list, int index) {
    const ListEntry *entry = entryAt(list, index);
    return entry && entry->name ? *entry->name : QString();
}

Json wordsOf(const QString &text) {
    Json words = Json::array();
    for (const QString &word : text.split(QLatin1Char('\n')))
        words.push_back(stdstr(word.trimmed().toLower()));
    return words;
}

QString linesOf(const Json &words) {
    QStringList lines;
    if (words.is_array()) {
        for (const Json &word : words)
            lines << (word.is_null() ? QString() : jsString(word));
    }
    return lines.join(QLatin1Char('\n'));
}

QString textAt(const Json &settings, const char *pointer) {
    const Json::json_pointer path(pointer);
    return settings.contains(path) ? jsString(settings.at(path)) : QString();
}
} // namespace

// Keys are written in the order of the stored text: each pointer creates its records in turn.
void Utils::saveConfig() {
    const SettingsForm &f = m_form;
    Json record = Json::object();
    const auto put = [&record](const char *pointer, Json value) {
        record[Json::json_pointer(pointer)] = std::move(value);
    };
    put("/services/twitch/host", stdstr(f.twitchHost));
    put("/services/twitch/port", stdstr(f.twitchPort));
    put("/services/twitch/login", stdstr(f.twitchNick));
    put("/services/twitch/password", stdstr(f.twitchToken));
    put("/services/twitch/channel", stdstr(f.twitchChannel));
    put("/services/goodgame/login", stdstr(f.goodgameLogin));
    put("/services/goodgame/password", stdstr(f.goodgamePassword));
    put("/services/goodgame/channel", stdstr(f.goodgameChannel));
    put("/view/chat/color/bg", stdstr(f.bgChatColor.toLower()));
    put("/view/chat/color/fg", stdstr(f.fgChatColor.toLower()));
    const ListEntry *font = entryAt(fontList(), f.fontIndex);
    const Json defaults = defaultSettings();
    const bool fontChosen = font && font->type;
    put("/view/chat/font/name", fontChosen
                                    ? Json(stdstr(font->text))
                                    : defaults.at(Json::json_pointer("/view/chat/font/name")));
    put("/view/chat/font/type", fontChosen
                                    ? Json(stdstr(*font->type))
                                    : defaults.at(Json::json_pointer("/view/chat/font/type")));
    const ListEntry *size = entryAt(sizeList(), f.sizeIndex);
    put("/view/chat/size", size && size->value ? *size->value : 16);
    put("/view/chat/animation", stdstr(nameOf(animationList(), f.animationIndex)));
    put("/view/addressed/color/bg", stdstr(f.bgHLColor.toLower()));
    put("/view/addressed/color/fg", stdstr(f.fgHLColor.toLower()));
    put("/view/addressed/words", wordsOf(f.hlWords));
    put("/alerts/volume", f.alertVolume);
    for (const SoundSlot &slot : soundSlots())
        put(soundPointer(slot).c_str(), stdstr(f.*slot.field));
    put("/alerts/voice", stdstr(nameOf(voiceList(), f.voiceIndex)));
    m_currentSettings = std::move(record);
    const bool saved = m_config.set(qstr(m_currentSettings.dump()));
    if (!saved && !m_saveFailing) {
        const QString reason = m_config.errorString();
        m_logger.log(QStringLiteral("ОШИБКА: не удалось сохранить настройки: ") + reason,
                     QStringLiteral("error"));
        emit saveFailed(QStringLiteral("Не удалось сохранить настройки: ") + reason);
    }
    m_saveFailing = !saved;
}

void Utils::initServices() {
    if (m_loaded.services)
        return;
    const Json &s = m_currentSettings;
    SettingsForm &f = m_form;
    f.twitchHost = textAt(s, "/services/twitch/host");
    f.twitchPort = textAt(s, "/services/twitch/port");
    f.twitchNick = textAt(s, "/services/twitch/login");
    f.twitchToken = textAt(s, "/services/twitch/password");
    f.twitchChannel = textAt(s, "/services/twitch/channel");
    f.goodgameLogin = textAt(s, "/services/goodgame/login");
    f.goodgamePassword = textAt(s, "/services/goodgame/password");
    f.goodgameChannel = textAt(s, "/services/goodgame/channel");
    f.bgChatColor = textAt(s, "/view/chat/color/bg");
    f.fgChatColor = textAt(s, "/view/chat/color/fg");
    f.fontIndex = findFontIndex(jsonAt(s, {"view", "chat", "font", "name"}));
    f.sizeIndex = findSizeIndex(jsonAt(s, {"view", "chat", "size"}));
    f.chatFontSize = int(parseInt(textAt(s, "/view/chat/size")).value_or(16));
    f.bgHLColor = textAt(s, "/view/addressed/color/bg");
    f.fgHLColor = textAt(s, "/view/addressed/color/fg");
    f.hlWords = linesOf(jsonAt(s, {"view", "addressed", "words"}));
    f.animationIndex = findAnimationIndex(jsonAt(s, {"view", "chat", "animation"}));
    f.alertVolume = jsNumber(jsonAt(s, {"alerts", "volume"})).value_or(0.75);
    for (const SoundSlot &slot : soundSlots())
        f.*slot.field = textAt(s, soundPointer(slot).c_str());
    f.voiceIndex = findVoiceIndex(jsonAt(s, {"alerts", "voice"}));
    emit f.changed();
    m_loaded.services = true;
}

void Utils::initChat(Page &chatView) {
    if (m_loaded.chat)
        return;
    const Json &s = m_currentSettings;
    runInWeb(chatView, QStringLiteral("setBGColor"), jsQuote(textAt(s, "/view/chat/color/bg")));
    runInWeb(chatView, QStringLiteral("setColor"), jsQuote(textAt(s, "/view/chat/color/fg")));
    runInWeb(chatView, QStringLiteral("setFontFamily"),
             qstr(jsonAt(s, {"view", "chat", "font"}).dump()));
    runInWeb(chatView, QStringLiteral("setFontSize"), jsQuote(textAt(s, "/view/chat/size")));
    runInWeb(chatView, QStringLiteral("setAnimation"), jsQuote(textAt(s, "/view/chat/animation")));
    runInWeb(chatView, QStringLiteral("setCustomCSS"), jsQuote(buildCustomCSS()));
    m_loaded.chat = true;
}

QVariantMap Utils::captions() const {
    return {{QStringLiteral("SERVICES_TITLE"), SERVICES_TITLE},
            {QStringLiteral("VIEW_TITLE"), VIEW_TITLE},
            {QStringLiteral("CHAT_TITLE"), CHAT_TITLE},
            {QStringLiteral("EVENTS_TITLE"), EVENTS_TITLE},
            {QStringLiteral("ALERTS_TITLE"), ALERTS_TITLE},
            {QStringLiteral("START_LABEL"), START_LABEL},
            {QStringLiteral("STOP_LABEL"), STOP_LABEL},
            {QStringLiteral("TWITCH_DEFAULT_HOST"), m_twitchDefaultHost},
            {QStringLiteral("TWITCH_DEFAULT_PORT"), TWITCH_DEFAULT_PORT}};
}

namespace {
// Only the fields an entry has, so the view can tell a heading by a missing one.
QVariantList modelOf(const ListModel &list) {
    QVariantList model;
    for (const ListEntry &entry : list) {
        QVariantMap map{{QStringLiteral("text"), entry.text},
                        {QStringLiteral("enabled"), entry.enabled}};
        if (entry.type)
            map.insert(QStringLiteral("type"), *entry.type);
        if (entry.name)
            map.insert(QStringLiteral("name"), *entry.name);
        if (entry.value)
            map.insert(QStringLiteral("value"), *entry.value);
        model << map;
    }
    return model;
}
} // namespace

QVariantList Utils::fontModel() {
    return modelOf(fontList());
}

QVariantList Utils::sizeModel() {
    return modelOf(sizeList());
}

QVariantList Utils::animationModel() {
    return modelOf(animationList());
}

QVariantList Utils::voiceModel() {
    return modelOf(voiceList());
}
