#pragma once

#include "common/js.h"
#include "common/json.h"

// Reading GoodGame's frames, whose members may be missing, null or of any type, and whose
// numbers may come as texts.
namespace gg {

using js::member;
using js::textOf;

inline bool numberIs(const Json &value, double expected) {
    const std::optional<double> number = jsNumber(value);
    return number && *number == expected;
}

// Whether a list holds the id, a number and its text counting as the same id.
inline bool listHas(const Json &list, const QString &id) {
    if (!list.is_array())
        return false;
    for (const Json &item : list) {
        if ((item.is_string() || item.is_number()) && jsString(item) == id)
            return true;
    }
    return false;
}

inline bool hasOwn(const Json &record, const QString &key) {
    return record.is_object() && record.contains(stdstr(key));
}

// A record's member or a list's element by its key as text.
inline const Json &entryOf(const Json &collection, const QString &key) {
    static const Json none;
    if (collection.is_object()) {
        const auto found = collection.find(stdstr(key));
        return found == collection.end() ? none : *found;
    }
    if (collection.is_array()) {
        const std::optional<qint64> index = parseInt(key);
        if (index && *index >= 0 && *index < qint64(collection.size()))
            return collection[std::size_t(*index)];
    }
    return none;
}

} // namespace gg
