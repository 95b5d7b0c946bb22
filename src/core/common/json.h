#pragma once

#include <QStringList>
#include <nlohmann/json.hpp>

// JSON that keeps its keys in insertion order, for every text whose key order is fixed.
using Json = nlohmann::ordered_json;

inline QString qstr(const std::string &text) {
    return QString::fromStdString(text);
}

inline std::string stdstr(const QString &text) {
    return text.toStdString();
}

// An array of the texts.
Json jsonStrings(const QStringList &texts);

// Deeper than any reply, frame or file Kestro reads; bounds the work of hostile input.
constexpr int kMaxJsonDepth = 64;

// Whether the arrays and records of a JSON text nest no deeper than the limit.
bool jsonDepthWithin(const char *begin, const char *end, int limit = kMaxJsonDepth);
inline bool jsonDepthWithin(const QByteArray &utf8) {
    return jsonDepthWithin(utf8.constData(), utf8.constData() + utf8.size());
}

// Parses without throwing; a discarded value when the text is not JSON or nests too deep
// (then *tooDeep, when given, is set).
Json parseJson(const QByteArray &utf8, bool *tooDeep = nullptr);
inline Json parseJson(const QString &text) {
    return parseJson(text.toUtf8());
}

// The value under a path of keys, or null when any step is missing or not a record.
const Json &jsonAt(const Json &root, std::initializer_list<const char *> path);
