// What VK Video Live adds to the settings, the addresses it talks to, its alert kinds and
// their tests.
#include "services/rehearsal.h"
#include "services/vkvideo/vkvideo.h"

#include <QCoreApplication>

QList<CredentialField> VkVideo::fields() const {
    return {{"vkvideoChannel", QT_TRANSLATE_NOOP("ServicesForm", "Канал:"), false,
             key::vkvideoChannel}};
}

QList<EndpointKey> VkVideo::endpointKeys() const {
    return {endpoint::vkvideoAuth, endpoint::vkvideoApi, endpoint::vkvideoSocket,
            endpoint::vkvideoClientId, endpoint::vkvideoRedirect};
}

QList<SoundSlot> vkvideoSoundSlots() {
    return {{"vkFollow", "VK Video Live", "follow", -1, "vkvideo", "follow",
             QT_TRANSLATE_NOOP("AlertsForm", "Follow"), "vkvideoFollow",
             "Звук для фолловеров VK Video Live",
             "Проигрываем звуковое уведомление на фоллоу VK Video Live"},
            {"vkRaid", "VK Video Live", "raid", -1, "vkvideo", "raid",
             QT_TRANSLATE_NOOP("AlertsForm", "Raid"), "vkvideoRaid",
             "Звук для рейдов VK Video Live",
             "Проигрываем звуковое уведомление на рейд VK Video Live"}};
}

// The event VK Video Live would push, read as a test.
void VkVideo::rehearse(const SoundSlot &slot, Rehearsal &draw) {
    const Json user{{"nick", stdstr(draw.user())}};
    if (QLatin1String(slot.type) == QLatin1String("raid"))
        raid(Json{{"channel", user}, {"viewers", draw.amount(100)}});
    else
        follow(Json{{"user", user}});
}
