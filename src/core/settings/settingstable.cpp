#include "settingstable.h"

#include "settings/soundslots.h"

const std::vector<SettingRow> &settingRows() {
    static const std::vector<SettingRow> rows = [] {
        using K = SettingKind;
        std::vector<SettingRow> table{
            {key::twitchHost, "twitchHost", K::Text, ""},
            {key::twitchPort, "twitchPort", K::Text, "6667"},
            {key::twitchLogin, "twitchNick", K::Text, ""},
            {key::twitchPassword, "twitchToken", K::Text, ""},
            {key::twitchChannel, "twitchChannel", K::Text, ""},
            {key::goodgameLogin, "goodgameLogin", K::Text, ""},
            {key::goodgamePassword, "goodgamePassword", K::Text, ""},
            {key::goodgameChannel, "goodgameChannel", K::Text, ""},
            {key::chatBackground, "bgChatColor", K::Colour, "#303030"},
            {key::chatForeground, "fgChatColor", K::Colour, "#f0f0f0"},
            {key::chatFont, "fontIndex", K::Font, {{"name", "Marmelad"}, {"type", "sans-serif"}}},
            {key::chatSize, "sizeIndex", K::Size, 16},
            {key::chatAnimation, "animationIndex", K::Animation, ""},
            {key::addressedBackground, "bgHLColor", K::Colour, "#f0f0f0"},
            {key::addressedForeground, "fgHLColor", K::Colour, "#303030"},
            {key::addressedWords, "hlWords", K::Words, Json::array()},
            {key::alertVolume, "alertVolume", K::Number, 0.75},
        };
        for (const SoundSlot &slot : soundSlots())
            table.push_back({soundPointer(slot), QByteArray(slot.prefix) + "Sound", K::Text, ""});
        table.push_back({key::alertVoice, "voiceIndex", K::Voice, ""});
        return table;
    }();
    return rows;
}
