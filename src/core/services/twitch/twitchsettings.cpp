#include "services/twitch/twitch.h"
#include "services/twitch/twitchkeys.h"

#include <QCoreApplication>

// The server's default is the endpoint's, which a test or a user's override may move.
QList<CredentialField> Twitch::fields() const {
    return {
        {"twitchHost", QT_TRANSLATE_NOOP("ServicesForm", "Имя сервера:"), false, key::twitchHost,
         m_deps.endpoints.host(endpoint::twitchChatHost)},
        {"twitchPort", QT_TRANSLATE_NOOP("ServicesForm", "Порт сервера:"), false, key::twitchPort,
         QStringLiteral("6667")},
        {"twitchNick", QT_TRANSLATE_NOOP("ServicesForm", "Ник бота:"), false, key::twitchLogin, {},
         QT_TRANSLATE_NOOP("ServicesForm", "Токен вручную")},
        {"twitchToken", QT_TRANSLATE_NOOP("ServicesForm", "OAuth2 токен:"), true,
         key::twitchPassword},
        {"twitchChannel", QT_TRANSLATE_NOOP("ServicesForm", "Канал:"), false, key::twitchChannel}};
}

QList<ServiceSwitch> Twitch::switches() const {
    return {{"twitchHistory",
             QT_TRANSLATE_NOOP("ServicesForm", "Показывать пропущенное после переподключения"),
             key::twitchHistory, true}};
}

QList<EndpointKey> Twitch::endpointKeys() const {
    return {endpoint::twitchChatHost,  endpoint::twitchApi,      endpoint::twitchIdApi,
            endpoint::twitchStaticCdn, endpoint::bttvApi,        endpoint::bttvCdn,
            endpoint::ffzApi,          endpoint::sevenTvApi,     endpoint::relayFollowers,
            endpoint::twitchEventSub,  endpoint::twitchClientId, endpoint::twitchHistory};
}

QList<SoundSlot> twitchSoundSlots() {
    return {
        {"sub1", "Twitch", "subscription", 1, "twitch", "sub1",
         QT_TRANSLATE_NOOP("AlertsForm", "$5"), "twitchSubOne",
         "Звук для подписки уровня 1 на Twitch",
         "Проигрываем звуковое уведомление на подписку уровня 1 на Twitch"},
        {"sub2", "Twitch", "subscription", 2, "twitch", "sub2",
         QT_TRANSLATE_NOOP("AlertsForm", "$10"), "twitchSubTwo",
         "Звук для подписки уровня 2 на Twitch",
         "Проигрываем звуковое уведомление на подписку уровня 2 на Twitch"},
        {"sub3", "Twitch", "subscription", 3, "twitch", "sub3",
         QT_TRANSLATE_NOOP("AlertsForm", "$25"), "twitchSubThree",
         "Звук для подписки уровня 3 на Twitch",
         "Проигрываем звуковое уведомление на подписку уровня 3 на Twitch"},
        {"prime", "Twitch", "subscription", 0, "twitch", "prime",
         QT_TRANSLATE_NOOP("AlertsForm", "Prime"), "twitchSubPrime",
         "Звук для подписки уровня Прайм на Twitch",
         "Проигрываем звуковое уведомление на подписку уровня Prime на Twitch"},
        {"gift", "Twitch", "gift", -1, "twitch", "gift", QT_TRANSLATE_NOOP("AlertsForm", "Gift"),
         "twitchSubGift", "Звук для подарочной подписки на Twitch",
         "Проигрываем звуковое уведомление на подарочную подписку на Twitch"},
        {"bits", "Twitch", "bits", -1, "twitch", "bits", QT_TRANSLATE_NOOP("AlertsForm", "Bits"),
         "twitchBits", "Звук для битсов на Twitch",
         "Проигрываем звуковое уведомление на битсы на Twitch"},
        {"raid", "Twitch", "raid", -1, "twitch", "raid", QT_TRANSLATE_NOOP("AlertsForm", "Raid"),
         "twitchRaid", "Звук для рейдов на Twitch",
         "Проигрываем звуковое уведомление на рейд на Twitch"},
        {"host", "Twitch", "host", -1, "twitch", "host", QT_TRANSLATE_NOOP("AlertsForm", "Host"),
         "twitchHost", "Звук для хостов на Twitch",
         "Проигрываем звуковое уведомление на хост на Twitch"},
        {"follow", "Twitch", "follow", -1, "twitch", "follow",
         QT_TRANSLATE_NOOP("AlertsForm", "Follow"), "twitchFollow", "Звук для фолловеров на Twitch",
         "Проигрываем звуковое уведомление на свежего фолловера на Twitch"},
    };
}

QList<SoundSlot> Twitch::soundSlots() const {
    return twitchSoundSlots();
}
