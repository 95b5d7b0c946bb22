#include "settingstable.h"

const std::vector<SettingRow> &viewSettingRows() {
    using K = SettingKind;
    static const std::vector<SettingRow> rows{
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
    return rows;
}

const std::vector<SettingRow> &programSettingRows() {
    using K = SettingKind;
    static const std::vector<SettingRow> rows{
        {key::alertVoice, "voiceIndex", K::Voice, ""},
        {key::alertOutput, "alertOutput", K::Text, ""},
        {key::overlayPort, "overlayPort", K::Text, "8090"},
        {key::overlayDelay, "overlayDelay", K::Whole, 0},
        {key::overlayLines, "overlayLines", K::Whole, 50},
        {key::overlayFade, "overlayFade", K::Whole, 0},
        {key::overlayLan, "overlayLan", K::Switch, false},
        {key::overlayToken, "overlayToken", K::Text, ""},
        {key::overlayNotes, "overlayNotes", K::Switch, false},
        {key::chatSpeechEnabled, "chatSpeechEnabled", K::Switch, false},
        {key::chatSpeechWho, "chatSpeechWho", K::Text, "all"},
        {key::chatSpeechNick, "chatSpeechNick", K::Switch, true},
        {key::chatSpeechCommands, "chatSpeechCommands", K::Switch, true},
        {key::chatSpeechIgnored, "chatSpeechIgnored", K::Text,
         "nightbot, streamelements, moobot, streamlabs"},
        {key::chatSpeechLength, "chatSpeechLength", K::Whole, 200},
        {key::chatSpeechQueue, "chatSpeechQueue", K::Whole, 5},
        // Empty: the alerts' voice.
        {key::chatSpeechVoice, "chatSpeechVoiceIndex", K::Voice, ""},
        {key::chatSpeechVolume, "chatSpeechVolume", K::Number, 0.75},
        {key::chatSpeechOutput, "chatSpeechOutput", K::Text, ""},
    };
    return rows;
}
