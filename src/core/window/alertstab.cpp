#include "alertstab.h"

#include "alerts/alerts.h"
#include "settings/lists.h"
#include "settings/utils.h"
#include "testevents/tests.h"

AlertsTab::AlertsTab(Utils &utils, Alerts &alerts, Tests &tests)
    : m_utils(utils)
    , m_alerts(alerts)
    , m_tests(tests) {
    connect(&m_utils.form(), &SettingsForm::changed, this, &AlertsTab::soundFilesChanged);
}

QVariantMap AlertsTab::soundFiles() const {
    return m_utils.form().sounds;
}

void AlertsTab::openSoundFileDialog(const QString &type) {
    if (const SoundSlot *slot = m_utils.soundSlot(type)) {
        m_soundDialogType = type;
        m_soundDialogTitle = QString::fromUtf8(slot->dialogTitle);
    }
    emit soundDialogRequested();
}

void AlertsTab::soundFileChosen(const QString &url) {
    setSoundFile(m_soundDialogType, url);
}

void AlertsTab::removeSound(const QString &type) {
    setSoundFile(type, QString());
}

void AlertsTab::setSoundFile(const QString &type, const QString &url) {
    if (!m_utils.soundSlot(type))
        return;
    SettingsForm &f = m_utils.form();
    f.sounds.insert(type, url);
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
