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
        table.push_back({key::overlayPort, "overlayPort", K::Text, "8090"});
        table.push_back({key::overlayDelay, "overlayDelay", K::Whole, 0});
        table.push_back({key::overlayLines, "overlayLines", K::Whole, 50});
        table.push_back({key::overlayFade, "overlayFade", K::Whole, 0});
        table.push_back({key::overlayLan, "overlayLan", K::Switch, false});
        table.push_back({key::overlayToken, "overlayToken", K::Text, ""});
        return table;
    }();
    return rows;
}
