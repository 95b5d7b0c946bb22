#include "utils.h"

#include "common/js.h"
#include "common/logging.h"
#include "settings/chatstyle.h"
#include "settings/lists.h"
#include "settings/settingstable.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"

Utils::Utils(BotConfig &config, BotLogger &logger)
    : m_config(config)
    , m_logger(logger) {
    rebuildRows();
    // A field is stored shortly after it is edited: typing a channel writes the file once,
    // not once a key, and nothing typed waits for a start button.
    m_pendingSave.setSingleShot(true);
    m_pendingSave.setInterval(kSaveDelayMs);
    connect(&m_pendingSave, &QTimer::timeout, this, &Utils::saveConfig);
    connect(&m_form, &SettingsForm::changed, this, [this] {
        if (m_loaded.services)
            m_pendingSave.start();
    });
    // The controls start at the defaults, which only the settings table knows.
    fillForm(defaultSettings());
}

void Utils::savePending() {
    if (m_pendingSave.isActive())
        saveConfig();
}

// The services' fields, the view's settings, the sound slotList, then the program's own.
void Utils::rebuildRows() {
    m_rows = m_fieldRows;
    m_rows.insert(m_rows.end(), viewSettingRows().begin(), viewSettingRows().end());
    for (const SoundSlot &slot : m_slots)
        m_rows.push_back(soundRow(slot));
    m_rows.insert(m_rows.end(), programSettingRows().begin(), programSettingRows().end());
}

void Utils::addService(const std::vector<SettingRow> &fields, const QList<SoundSlot> &slotList) {
    m_fieldRows.insert(m_fieldRows.end(), fields.begin(), fields.end());
    m_slots << slotList;
    rebuildRows();
    // A service built after the settings were read finds its own values in them too.
    if (m_read)
        loadConfig();
    const Json settings = m_read ? m_currentSettings : defaultSettings();
    for (const SettingRow &row : fields)
        fillRow(row, settings);
    for (const SoundSlot &slot : slotList)
        fillRow(soundRow(slot), settings);
}

Json Utils::defaultSettings() const {
    Json record = Json::object();
    for (const SettingRow &row : m_rows)
        record[Json::json_pointer(row.path)] = row.fallback;
    return record;
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
    m_read = true;
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

QString Utils::text(const char *path) const {
    return textAt(m_currentSettings, path);
}

std::optional<double> Utils::number(const char *path) const {
    const Json::json_pointer pointer(path);
    return m_currentSettings.contains(pointer) ? jsNumber(m_currentSettings.at(pointer))
                                               : std::nullopt;
}

std::optional<bool> Utils::flag(const char *path) const {
    const Json::json_pointer pointer(path);
    if (!m_currentSettings.contains(pointer) || !m_currentSettings.at(pointer).is_boolean())
        return std::nullopt;
    return m_currentSettings.at(pointer).get<bool>();
}

namespace {
// What the control's state stores; a list entry that is none stores the row's default.
Json storedValue(const SettingRow &row, const QVariant &state) {
    switch (row.kind) {
    case SettingKind::Text:
        return stdstr(state.toString());
    case SettingKind::Colour:
        return stdstr(state.toString().toLower());
    case SettingKind::Words:
        return wordsOf(state.toString());
    case SettingKind::Number:
        return state.toDouble();
    case SettingKind::Font: {
        const ListEntry *font = entryAt(fontList(), state.toInt());
        return font && font->type
                   ? Json{{"name", stdstr(font->text)}, {"type", stdstr(*font->type)}}
                   : row.fallback;
    }
    case SettingKind::Size: {
        const ListEntry *size = entryAt(sizeList(), state.toInt());
        return size && size->value ? Json(*size->value) : row.fallback;
    }
    case SettingKind::Animation:
        return stdstr(nameOf(animationList(), state.toInt()));
    case SettingKind::Whole:
        return state.toInt();
    case SettingKind::Switch:
        return state.toBool();
    case SettingKind::Record: {
        Json record = parseJson(state.toString());
        return record.is_object() ? record : Json::object();
    }
    case SettingKind::Voice:
        break;
    }
    return stdstr(nameOf(voiceList(), state.toInt()));
}

// The control's state for a stored value (present and of the row's kind once loaded).
QVariant controlState(const SettingRow &row, const Json &settings) {
    const Json::json_pointer path(row.path);
    const Json &value = settings.contains(path) ? settings.at(path) : row.fallback;
    switch (row.kind) {
    case SettingKind::Text:
    case SettingKind::Colour:
        return jsString(value);
    case SettingKind::Words:
        return linesOf(value);
    case SettingKind::Number:
        return jsNumber(value).value_or(row.fallback.get<double>());
    case SettingKind::Font:
        return findFontIndex(jsonAt(value, {"name"}));
    case SettingKind::Size:
        return findSizeIndex(value);
    case SettingKind::Animation:
        return findAnimationIndex(value);
    case SettingKind::Whole:
        return int(qBound<double>(INT_MIN, jsNumber(value).value_or(0), INT_MAX));
    case SettingKind::Switch:
        return value.is_boolean() && value.get<bool>();
    case SettingKind::Record:
        return qstr(value.dump());
    case SettingKind::Voice:
        break;
    }
    return findVoiceIndex(value);
}
} // namespace

// Keys are written in the order of the stored text: each pointer creates its records in turn.
void Utils::saveConfig() {
    m_pendingSave.stop();
    Json record = Json::object();
    for (const SettingRow &row : m_rows) {
        const QVariant state = m_form.property(row.property);
        record[Json::json_pointer(row.path)] =
            storedValue(row, row.entry.isEmpty() ? state : state.toMap().value(row.entry));
    }
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

// The preview's font size follows the stored size, whichever entry of the list it matches.
void Utils::initServices() {
    if (m_loaded.services)
        return;
    fillForm(m_currentSettings);
    emit m_form.changed();
    m_loaded.services = true;
}

void Utils::fillRow(const SettingRow &row, const Json &settings) {
    const QVariant state = controlState(row, settings);
    if (row.entry.isEmpty()) {
        m_form.setProperty(row.property, state);
        return;
    }
    QVariantMap map = m_form.property(row.property).toMap();
    map.insert(row.entry, state);
    m_form.setProperty(row.property, map);
}

void Utils::fillForm(const Json &settings) {
    for (const SettingRow &row : m_rows)
        fillRow(row, settings);
    m_form.chatFontSize = int(parseInt(textAt(settings, key::chatSize)).value_or(16));
}

void Utils::initChat(Page &chatView) {
    if (m_loaded.chat)
        return;
    sendChatStyle(*this, chatView);
    m_loaded.chat = true;
}

QVariantList Utils::fontModel() {
    return listModel(fontList());
}

QVariantList Utils::sizeModel() {
    return listModel(sizeList());
}

QVariantList Utils::animationModel() {
    return listModel(animationList());
}

QVariantList Utils::voiceModel() {
    return listModel(voiceList());
}
