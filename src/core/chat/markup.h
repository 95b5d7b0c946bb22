#pragma once

#include <QString>

// Untrusted text made safe for the chat HTML. Text keeps "&" so entities still render;
// attribute values also lose their power to end the quoted value.
enum class MarkupContext { Text, Attribute };
QString escapeMarkup(const QString &value, MarkupContext context);

// A CSS value (a colour, a weight) reduced to characters that cannot end the declaration.
QString cssValue(const QString &value);
