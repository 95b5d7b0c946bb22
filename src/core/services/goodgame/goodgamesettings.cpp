#include "services/goodgame/goodgame.h"

#include <QCoreApplication>

QList<CredentialField> Goodgame::fields() const {
    return {
        {"goodgameLogin", QT_TRANSLATE_NOOP("ServicesForm", "Логин:"), false, key::goodgameLogin},
        {"goodgamePassword", QT_TRANSLATE_NOOP("ServicesForm", "Пароль:"), true,
         key::goodgamePassword},
        {"goodgameChannel", QT_TRANSLATE_NOOP("ServicesForm", "Канал:"), false,
         key::goodgameChannel}};
}

// Its icon font and smiles' size, and the premium icons of its channels from its own site.
ServiceLook goodgameLook() {
    return {{QStringLiteral("looks/goodgame/look.css"),
             QStringLiteral("https://static.goodgame.ru/css/compiled/channels_icons.css")},
            {QStringLiteral("https://static.goodgame.ru")}};
}

ServiceLook Goodgame::look() const {
    return goodgameLook();
}

QList<EndpointKey> Goodgame::endpointKeys() const {
    return {endpoint::goodgameChat, endpoint::goodgameSite, endpoint::goodgameStatic};
}

QList<SoundSlot> goodgameSoundSlots() {
    return {
        {"prem", "Goodgame", "premium", -1, "goodgame", "premium",
         QT_TRANSLATE_NOOP("AlertsForm", "Premium"), "goodgamePrem",
         "Звук для премиумов на Goodgame",
         "Проигрываем звуковое уведомление на подписку на GoodGame"},
        {"donat", "Goodgame", "donation", -1, "goodgame", "donation",
         QT_TRANSLATE_NOOP("AlertsForm", "Донат"), "goodgameDonat", "Звук для донатов на Goodgame",
         "Проигрываем звуковое уведомление на донат на GoodGame"},
        {"ggFollow", "Goodgame", "follow", -1, "goodgame", "follow",
         QT_TRANSLATE_NOOP("AlertsForm", "Follow"), "goodgameFollow",
         "Звук для фолловеров на Goodgame",
         "Проигрываем звуковое уведомление на свежего фолловера на GoodGame"},
        {"ggGift", "Goodgame", "gift", -1, "goodgame", "gift",
         QT_TRANSLATE_NOOP("AlertsForm", "Gift"), "goodgameGift",
         "Звук для подаренных премиумов на Goodgame",
         "Проигрываем звуковое уведомление на подаренные премиумы на GoodGame"},
        {"ggRaid", "Goodgame", "raid", -1, "goodgame", "raid",
         QT_TRANSLATE_NOOP("AlertsForm", "Raid"), "goodgameRaid",
         "Звук для телепортов на Goodgame",
         "Проигрываем звуковое уведомление на телепорт зрителей на GoodGame"},
    };
}

QList<SoundSlot> Goodgame::soundSlots() const {
    return goodgameSoundSlots();
}
