#pragma once

#include "common/json.h"

#include <QByteArray>
#include <string>
#include <vector>

// How a stored value and its control's state turn into each other.
enum class SettingKind {
    Text,      // a text, stored as typed
    Colour,    // a colour text, stored in lower case
    Words,     // one word a line in the control, a list of lower-case words stored
    Number,    // a fraction
    Font,      // the font list's index; stored as {"name", "type"}
    Size,      // the size list's index; stored as the size in pixels
    Animation, // the animation list's index; stored by the entry's name
    Voice,     // the voice list's index; stored by the entry's name
    Whole,     // a whole number, stored as one
    Switch,    // on or off
    Record,    // a JSON record, held by the control as its compact text
};

// One setting, written once: where it is stored, which form property its control edits, what
// it is when nothing is stored, and how the two turn into each other.
struct SettingRow {
    std::string path; // a JSON pointer into settings.json
    QByteArray property;
    SettingKind kind;
    Json fallback;
    QString entry = {}; // set: the row is this entry of the property's map
};

// The paths the program reads, named so a typo fails to build.
namespace key {
inline constexpr const char *chatBackground = "/view/chat/color/bg";
inline constexpr const char *chatForeground = "/view/chat/color/fg";
inline constexpr const char *chatFont = "/view/chat/font";
inline constexpr const char *chatSize = "/view/chat/size";
inline constexpr const char *chatAnimation = "/view/chat/animation";
inline constexpr const char *addressedBackground = "/view/addressed/color/bg";
inline constexpr const char *addressedForeground = "/view/addressed/color/fg";
inline constexpr const char *addressedWords = "/view/addressed/words";
inline constexpr const char *alertVolume = "/alerts/volume";
inline constexpr const char *alertVoice = "/alerts/voice";
// The output by its stable name; empty: as the system chooses.
inline constexpr const char *alertOutput = "/alerts/output";
inline constexpr const char *overlayPort = "/overlay/port";
inline constexpr const char *overlayDelay = "/overlay/delay";
inline constexpr const char *overlayLines = "/overlay/lines";
inline constexpr const char *overlayFade = "/overlay/fade";
inline constexpr const char *overlayLan = "/overlay/lan";
inline constexpr const char *overlayToken = "/overlay/token";
inline constexpr const char *overlayNotes = "/overlay/notes";
inline constexpr const char *chatSpeechEnabled = "/speech/chat/enabled";
inline constexpr const char *chatSpeechWho = "/speech/chat/who";
inline constexpr const char *chatSpeechNick = "/speech/chat/readNick";
inline constexpr const char *chatSpeechCommands = "/speech/chat/skipCommands";
inline constexpr const char *chatSpeechIgnored = "/speech/chat/ignoredNicks";
inline constexpr const char *chatSpeechLength = "/speech/chat/maxLength";
inline constexpr const char *chatSpeechQueue = "/speech/chat/queueLength";
inline constexpr const char *chatSpeechVoice = "/speech/chat/voice";
inline constexpr const char *chatSpeechVolume = "/speech/chat/volume";
inline constexpr const char *chatSpeechOutput = "/speech/chat/output";
} // namespace key

// The settings of the program itself, before and after the services' sound slots in the
// stored text; each service's fields come first and its slots in between.
const std::vector<SettingRow> &viewSettingRows();
const std::vector<SettingRow> &programSettingRows();
