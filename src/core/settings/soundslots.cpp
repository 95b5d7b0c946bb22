#include "soundslots.h"

#include "settings/settingsform.h"

#include <QCoreApplication>
#include <QVariantMap>

const QList<SoundSlot> &soundSlots() {
    static const QList<SoundSlot> table{
        {"sub1", "Twitch", "subscription", 1, "twitch", "sub1", &SettingsForm::twitchSubOneSound,
         QT_TRANSLATE_NOOP("AlertsForm", "$5"), "twitchSubOne",
         "Звук для подписки уровня 1 на Twitch",
         "Проигрываем звуковое уведомление на подписку уровня 1 на Twitch"},
        {"sub2", "Twitch", "subscription", 2, "twitch", "sub2", &SettingsForm::twitchSubTwoSound,
         QT_TRANSLATE_NOOP("AlertsForm", "$10"), "twitchSubTwo",
         "Звук для подписки уровня 2 на Twitch",
         "Проигрываем звуковое уведомление на подписку уровня 2 на Twitch"},
        {"sub3", "Twitch", "subscription", 3, "twitch", "sub3", &SettingsForm::twitchSubThreeSound,
         QT_TRANSLATE_NOOP("AlertsForm", "$25"), "twitchSubThree",
         "Звук для подписки уровня 3 на Twitch",
         "Проигрываем звуковое уведомление на подписку уровня 3 на Twitch"},
        {"prime", "Twitch", "subscription", 0, "twitch", "prime",
         &SettingsForm::twitchSubPrimeSound, QT_TRANSLATE_NOOP("AlertsForm", "Prime"),
         "twitchSubPrime", "Звук для подписки уровня Прайм на Twitch",
         "Проигрываем звуковое уведомление на подписку уровня Prime на Twitch"},
        {"gift", "Twitch", "gift", -1, "twitch", "gift", &SettingsForm::twitchSubGiftSound,
         QT_TRANSLATE_NOOP("AlertsForm", "Gift"), "twitchSubGift",
         "Звук для подарочной подписки на Twitch",
         "Проигрываем звуковое уведомление на подарочную подписку на Twitch"},
        {"bits", "Twitch", "bits", -1, "twitch", "bits", &SettingsForm::twitchBitsSound,
         QT_TRANSLATE_NOOP("AlertsForm", "Bits"), "twitchBits", "Звук для битсов на Twitch",
         "Проигрываем звуковое уведомление на битсы на Twitch"},
        {"raid", "Twitch", "raid", -1, "twitch", "raid", &SettingsForm::twitchRaidSound,
         QT_TRANSLATE_NOOP("AlertsForm", "Raid"), "twitchRaid", "Звук для рейдов на Twitch",
         "Проигрываем звуковое уведомление на рейд на Twitch"},
        {"host", "Twitch", "host", -1, "twitch", "host", &SettingsForm::twitchHostSound,
         QT_TRANSLATE_NOOP("AlertsForm", "Host"), "twitchHost", "Звук для хостов на Twitch",
         "Проигрываем звуковое уведомление на хост на Twitch"},
        {"follow", "Twitch", "follow", -1, "twitch", "follow", &SettingsForm::twitchFollowSound,
         QT_TRANSLATE_NOOP("AlertsForm", "Follow"), "twitchFollow", "Звук для фолловеров на Twitch",
         "Проигрываем звуковое уведомление на свежего фолловера на Twitch"},
        {"prem", "Goodgame", "premium", -1, "goodgame", "premium", &SettingsForm::goodgamePremSound,
         QT_TRANSLATE_NOOP("AlertsForm", "Premium"), "goodgamePrem",
         "Звук для премиумов на Goodgame",
         "Проигрываем звуковое уведомление на подписку на GoodGame"},
        {"donat", "Goodgame", "donation", -1, "goodgame", "donation",
         &SettingsForm::goodgameDonatSound, QT_TRANSLATE_NOOP("AlertsForm", "Донат"),
         "goodgameDonat", "Звук для донатов на Goodgame",
         "Проигрываем звуковое уведомление на донат на GoodGame"},
    };
    return table;
}

std::string soundPointer(const SoundSlot &slot) {
    return std::string("/alerts/") + slot.group + '/' + slot.key;
}

const SoundSlot *soundSlot(const QString &name) {
    for (const SoundSlot &slot : soundSlots()) {
        if (name == QLatin1String(slot.name))
            return &slot;
    }
    return nullptr;
}

const SoundSlot *soundSlotFor(const QString &service, const QString &type,
                              std::optional<int> level) {
    for (const SoundSlot &slot : soundSlots()) {
        if (service == QLatin1String(slot.service) && type == QLatin1String(slot.type) &&
            (slot.level < 0 || level == slot.level))
            return &slot;
    }
    return nullptr;
}

QVariantList soundSlotModel(const QString &group) {
    QVariantList rows;
    for (const SoundSlot &slot : soundSlots()) {
        if (group == QLatin1String(slot.group))
            rows << QVariantMap{{QStringLiteral("name"), QLatin1String(slot.name)},
                                {QStringLiteral("label"), QString::fromUtf8(slot.label)},
                                {QStringLiteral("prefix"), QLatin1String(slot.prefix)}};
    }
    return rows;
}
