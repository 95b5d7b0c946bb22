#pragma once

#include "common/json.h"

#include <QString>
#include <QVariantList>
#include <QVector>
#include <optional>

// One entry of a drop-down list of the View or Alerts tab. Headings have only a text and
// cannot be chosen.
struct ListEntry {
    QString text;
    std::optional<QString> type; // fonts: the CSS generic family
    std::optional<QString> name; // animations and voices: the stored value
    std::optional<int> value;    // sizes: pixels
    bool enabled = true;
};

using ListModel = QVector<ListEntry>;

// The lists of the tabs, as data; the forms show them.
const ListModel &fontList();
const ListModel &sizeList();
const ListModel &animationList();
const ListModel &voiceList();
// A list as the views' model: one map of the entry's fields each.
QVariantList listModel(const ListModel &list);

// The index of the first entry whose field equals the value loosely (16 equals "16"), or 0.
int findFontIndex(const Json &fontName);
int findSizeIndex(const Json &sizeValue);
// The entry at a list index, or nullptr when the index is outside the list.
const ListEntry *entryAt(const ListModel &list, int index);
int findAnimationIndex(const Json &animationName);
int findVoiceIndex(const Json &voiceValue);
