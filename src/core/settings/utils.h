#pragma once

#include "common/json.h"
#include "settings/settingsform.h"
#include "settings/settingstable.h"
#include "settings/soundslots.h"

#include <QObject>
#include <QTimer>
#include <QVariantList>
#include <optional>

class BotConfig;
class BotLogger;
class Page;

// The user's settings: the table of every setting, the stored record and its persistence,
// and the form the controls edit.
class Utils : public QObject {
    Q_OBJECT
    Q_PROPERTY(SettingsForm *form READ formObject CONSTANT)
    Q_PROPERTY(QVariantList fontList READ fontModel CONSTANT)
    Q_PROPERTY(QVariantList sizeList READ sizeModel CONSTANT)
    Q_PROPERTY(QVariantList animationList READ animationModel CONSTANT)
    Q_PROPERTY(QVariantList voiceList READ voiceModel CONSTANT)
public:
    static constexpr int kSaveDelayMs = 500;

    Utils(BotConfig &config, BotLogger &logger);

    // A service's fields and sound slots join the table, their controls at their defaults.
    void addService(const std::vector<SettingRow> &fields, const QList<SoundSlot> &slotList);
    // Every setting in the order of the stored text.
    const std::vector<SettingRow> &rows() const { return m_rows; }
    // Every sound slot, in the order of the Alerts tab.
    const QList<SoundSlot> &soundSlots() const { return m_slots; }
    const SoundSlot *soundSlot(const QString &name) const { return ::soundSlot(m_slots, name); }
    const SoundSlot *soundSlotFor(const QString &service, const QString &type,
                                  std::optional<int> level) const {
        return ::soundSlotFor(m_slots, service, type, level);
    }

    Json defaultSettings() const;
    const Json &currentSettings() const { return m_currentSettings; }
    // One stored value by its path (key::…): as text (empty when absent), as a number.
    QString text(const char *path) const;
    std::optional<double> number(const char *path) const;
    // A switch's stored state; none when nothing of that kind is stored.
    std::optional<bool> flag(const char *path) const;

    // Which parts have been initialised; each flag is set once.
    struct Loaded {
        bool services = false;
        bool chat = false;
        bool events = false;
        bool alerts = false;
    };
    const Loaded &LOADED() const { return m_loaded; }
    SettingsForm &form() { return m_form; }
    SettingsForm *formObject() { return &m_form; }

    // The drop-down lists as the views' models: one map of the entry's fields each.
    static QVariantList fontModel();
    static QVariantList sizeModel();
    static QVariantList animationModel();
    static QVariantList voiceModel();

    void loadConfig();
    // Rebuilds the record from the controls' state and stores it.
    Q_INVOKABLE void saveConfig();
    // Stores an edit still waiting for its delay: at quit.
    void savePending();
    // Fills the controls' state from the record, once, without saving.
    Q_INVOKABLE void initServices();
    // Sends the view settings to the chat page, once.
    void initChat(Page &chatView);
    Q_INVOKABLE void initEvents() { m_loaded.events = true; }
    Q_INVOKABLE void initAlerts() { m_loaded.alerts = true; }
    static void defineValues(const Json &source, Json &target);

signals:
    // The settings did not reach the disk: the text for the status line. Said once until a
    // save succeeds again.
    void saveFailed(const QString &status);

private:
    // The controls' state from a settings record, without saving.
    void fillForm(const Json &settings);
    void fillRow(const SettingRow &row, const Json &settings);
    void rebuildRows();

    BotConfig &m_config;
    BotLogger &m_logger;
    std::vector<SettingRow> m_fieldRows;
    QList<SoundSlot> m_slots;
    std::vector<SettingRow> m_rows;
    Json m_currentSettings = Json::object();
    SettingsForm m_form;
    Loaded m_loaded;
    bool m_saveFailing = false;
    bool m_read = false; // loadConfig has run
    QTimer m_pendingSave;
};
