#pragma once

#include "json.h"

#include <QString>

// The few JavaScript semantics the rest of Kestro reproduces exactly.

// ECMAScript encodeURIComponent: UTF-8 percent escapes, upper-case hex.
QString encodeURIComponent(const QString &text);

// String(value) of a JSON value, as a script would write it into text.
QString jsString(const Json &value);
