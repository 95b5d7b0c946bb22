#include "soundslots.h"

#include <QVariantMap>

std::string soundPointer(const SoundSlot &slot) {
    return std::string("/alerts/") + slot.group + '/' + slot.key;
}

SettingRow soundRow(const SoundSlot &slot) {
    return {soundPointer(slot), "sounds", SettingKind::Text, "", QLatin1String(slot.name)};
}

const SoundSlot *soundSlot(const QList<SoundSlot> &slotList, const QString &name) {
    for (const SoundSlot &slot : slotList) {
        if (name == QLatin1String(slot.name))
            return &slot;
    }
    return nullptr;
}

const SoundSlot *soundSlotFor(const QList<SoundSlot> &slotList, const QString &service,
                              const QString &type, std::optional<int> level) {
    for (const SoundSlot &slot : slotList) {
        if (service == QLatin1String(slot.service) && type == QLatin1String(slot.type) &&
            (slot.level < 0 || level == slot.level))
            return &slot;
    }
    return nullptr;
}

QVariantList soundSlotModel(const QList<SoundSlot> &slotList) {
    QVariantList rows;
    for (const SoundSlot &slot : slotList) {
        rows << QVariantMap{{QStringLiteral("name"), QLatin1String(slot.name)},
                            {QStringLiteral("label"), QString::fromUtf8(slot.label)},
                            {QStringLiteral("prefix"), QLatin1String(slot.prefix)}};
    }
    return rows;
}
