#pragma once

#include <QString>
#include <nlohmann/json.hpp>

// JSON that keeps its keys in insertion order, for every text whose key order is fixed.
using Json = nlohmann::ordered_json;

inline QString qstr(const std::string &text) {
    return QString::fromStdString(text);
}

inline std::string stdstr(const QString &text) {
    return text.toStdString();
}

// Parses without throwing; a discarded value when the text is not JSON.
inline Json parseJson(const QString &text) {
    return Json::parse(stdstr(text), nullptr, false);
}

// The value under a path of keys, or null when any step is missing or not a record.
const Json &jsonAt(const Json &root, std::initializer_list<const char *> path);
