#pragma once

#include "settings/settingstable.h"

#include <QList>
#include <QString>
#include <QVariantList>
#include <optional>
#include <string>

// One sound slot of the Alerts tab, written once by its service: what alert it sounds for,
// where its file is stored, its row and dialog texts and its log line.
struct SoundSlot {
    const char *name;    // as the view and the file dialog name it: "sub1", "prem", …
    const char *service; // the alert record's service and type; level -1: any level
    const char *type;
    int level;
    const char *group; // settings: alerts.<group>.<key>, the service's id
    const char *key;
    const char *label;  // the row's caption
    const char *prefix; // the row's control names: <prefix>SoundText, <prefix>SoundButton, …
    const char *dialogTitle;
    const char *debugLine;
};

// The slot's place in the settings record, as a JSON pointer ("/alerts/twitch/sub1").
std::string soundPointer(const SoundSlot &slot);
// Its file as a setting: an entry of the form's sounds by the slot's name.
SettingRow soundRow(const SoundSlot &slot);

const SoundSlot *soundSlot(const QList<SoundSlot> &slotList, const QString &name);
// The slot that sounds for an alert record, if any.
const SoundSlot *soundSlotFor(const QList<SoundSlot> &slotList, const QString &service,
                              const QString &type, std::optional<int> level);
// The rows for the view: name, label and prefix.
QVariantList soundSlotModel(const QList<SoundSlot> &slotList);
