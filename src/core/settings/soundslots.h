#pragma once

#include <QString>
#include <QVariantList>
#include <optional>
#include <string>

class SettingsForm;

// One sound slot of the Alerts tab, written once: what alert it sounds for, where its file is
// stored, its form field, its row and dialog texts and its log line.
struct SoundSlot {
    const char *name;    // as the view and the file dialog name it: "sub1", "prem", …
    const char *service; // the alert record's service and type; level -1: any level
    const char *type;
    int level;
    const char *group; // settings: alerts.<group>.<key>
    const char *key;
    QString SettingsForm::*field;
    const char *label;  // the row's caption
    const char *prefix; // the row's control names: <prefix>SoundText, <prefix>SoundButton, …
    const char *dialogTitle;
    const char *debugLine;
};

// The slot's place in the settings record, as a JSON pointer ("/alerts/twitch/sub1").
std::string soundPointer(const SoundSlot &slot);

// Every slot, in the order of the tab and of the stored settings.
const QList<SoundSlot> &soundSlots();
const SoundSlot *soundSlot(const QString &name);
// The slot that sounds for an alert record, if any.
const SoundSlot *soundSlotFor(const QString &service, const QString &type,
                              std::optional<int> level);
// The rows of one service's group for the view: name, label and prefix.
QVariantList soundSlotModel(const QString &group);
