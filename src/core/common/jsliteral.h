#pragma once

#include "json.h"

#include <QString>

// The value assigned to a global name in a script, read as data: object and array literals,
// strings, numbers, true, false, null and undefined (as null). Nothing is executed, so a
// hostile script can neither run code nor loop; anything else is reported as an error.
struct JsLiteral {
    Json value;
    QString error; // empty when the value was read
};

JsLiteral readJsAssignment(const QString &script, const QString &name);
