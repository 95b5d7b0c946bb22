#include "alertstab.h"

#include "alerts/alerts.h"
#include "settings/lists.h"
#include "settings/soundslots.h"
#include "settings/utils.h"
#include "testevents/tests.h"

AlertsTab::AlertsTab(Utils &utils, Alerts &alerts, Tests &tests)
    : m_utils(utils)
    , m_alerts(alerts)
    , m_tests(tests) {
    connect(&m_utils.form(), &SettingsForm::changed, this, &AlertsTab::soundFilesChanged);
}

QVariantMap AlertsTab::soundFiles() const {
    QVariantMap files;
    for (const SoundSlot &slot : soundSlots())
        files.insert(QLatin1String(slot.name), m_utils.form().*slot.field);
    return files;
}

void AlertsTab::openSoundFileDialog(const QString &type) {
    if (const SoundSlot *slot = soundSlot(type)) {
        m_soundDialogType = type;
        m_soundDialogTitle = QString::fromUtf8(slot->dialogTitle);
    }
    emit soundDialogRequested();
}

void AlertsTab::soundFileChosen(const QString &url) {
    const SoundSlot *slot = soundSlot(m_soundDialogType);
    if (!slot)
        return;
    SettingsForm &f = m_utils.form();
    f.*slot->field = url;
    emit f.changed();
    m_utils.saveConfig();
}

void AlertsTab::removeSound(const QString &type) {
    const SoundSlot *slot = soundSlot(type);
    if (!slot)
        return;
    SettingsForm &f = m_utils.form();
    (f.*slot->field).clear();
    emit f.changed();
    m_utils.saveConfig();
}

void AlertsTab::playSound(const QString &type) {
    m_alerts.playSound(type);
}

void AlertsTab::fullTest(const QString &type) {
    m_tests.testSound(type);
}

void AlertsTab::voiceChosen(int index) {
    SettingsForm &f = m_utils.form();
    f.voiceIndex = index;
    emit f.changed();
    const ListEntry *entry = entryAt(voiceList(), index);
    if (entry && entry->name)
        m_utils.saveConfig();
}
