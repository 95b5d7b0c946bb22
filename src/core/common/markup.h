#pragma once

#include <QString>

// Untrusted text made safe for the chat HTML: shown exactly as typed, "&" included; attribute
// values also lose their power to end the quoted value. Kestro's own texts (OwnText) carry
// entities on purpose and keep their "&".
enum class MarkupContext { Text, Attribute, OwnText };
QString escapeMarkup(const QString &value, MarkupContext context);

// A CSS value (a colour, a weight) reduced to characters that cannot end the declaration.
QString cssValue(const QString &value);

// HTML-escaped text as it was typed: the named entities of markup (&lt; &gt; &amp; &quot;
// &apos;) and numeric ones decoded once; anything else is left as it stands.
QString decodeEntities(const QString &text);
