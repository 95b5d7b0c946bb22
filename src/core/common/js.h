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

// parseInt(text, 10): leading white space, a sign and the digits that follow; no value
// (NaN) when there are no digits. Values beyond ±2^53 saturate.
std::optional<qint64> parseInt(QStringView text);

// A single-quoted script string literal that reads back as exactly this text.
QString jsQuote(const QString &text);

// Number(value) for the loose comparisons of frames whose numbers may come as strings; no
// value for null, a missing member, records and texts that are no number.
std::optional<double> jsNumber(const Json &value);

// Whether a script would take the value as true.
bool jsTruthy(const Json &value);
