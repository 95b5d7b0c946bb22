#pragma once

#include "json.h"

#include <QString>
#include <QStringView>
#include <optional>

// The few JavaScript semantics the rest of Kestro reproduces exactly.

// ECMAScript encodeURIComponent: UTF-8 percent escapes, upper-case hex.
QString encodeURIComponent(const QString &text);

// String(value) of a JSON value, as a script would write it into text.
QString jsString(const Json &value);
// A number as a script prints it (1.5, 1e+21, NaN).
QString numberString(double number);

// parseInt(text, 10): leading white space, a sign and the digits that follow; no value
// (NaN) when there are no digits. Values beyond ±2^53 saturate.
std::optional<qint64> parseInt(QStringView text);
// The largest integer a script counts exactly; wire numbers beyond it are out of range.
constexpr qint64 kMaxSafeInteger = (qint64(1) << 53) - 1;
// A count from the wire (bits, seconds): a base-10 integer from 0 to kMaxSafeInteger, or none.
std::optional<qint64> countOf(QStringView text);
// The same for a JSON number, fractions kept.
std::optional<double> countOf(const Json &value);

// A single-quoted script string literal that reads back as exactly this text.
QString jsQuote(const QString &text);

// Number(value) for the loose comparisons of frames whose numbers may come as strings; no
// value for null, a missing member, records and texts that are no number.
std::optional<double> jsNumber(const Json &value);

// Whether a script would take the value as true.
bool jsTruthy(const Json &value);

// Reading outside JSON whose members may be missing, null or of any type.
namespace js {

// The member of a record, or null for anything that is not a record.
inline const Json &member(const Json &record, const char *key) {
    static const Json none;
    if (!record.is_object())
        return none;
    const auto found = record.find(key);
    return found == record.end() ? none : *found;
}

// A member shown as text: texts as they are, numbers as a script prints them, else empty.
inline QString textOf(const Json &record, const char *key) {
    const Json &value = member(record, key);
    return value.is_string() || value.is_number() ? jsString(value) : QString();
}

} // namespace js
