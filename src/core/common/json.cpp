#include "json.h"

// Brackets inside strings do not count; escapes are skipped with their next character.
bool jsonDepthWithin(const char *begin, const char *end, int limit) {
    int depth = 0;
    bool inString = false;
    for (const char *c = begin; c < end; ++c) {
        if (inString) {
            if (*c == '\\')
                ++c;
            else if (*c == '"')
                inString = false;
        } else if (*c == '"') {
            inString = true;
        } else if (*c == '[' || *c == '{') {
            if (++depth > limit)
                return false;
        } else if (*c == ']' || *c == '}') {
            --depth;
        }
    }
    return true;
}

Json parseJson(const QByteArray &utf8, bool *tooDeep) {
    const char *begin = utf8.constData();
    const char *end = begin + utf8.size();
    const bool deep = !jsonDepthWithin(begin, end);
    if (tooDeep)
        *tooDeep = deep;
    if (deep)
        return Json(Json::value_t::discarded);
    return Json::parse(begin, end, nullptr, false);
}

const Json &jsonAt(const Json &root, std::initializer_list<const char *> path) {
    static const Json missing;
    const Json *node = &root;
    for (const char *key : path) {
        if (!node->is_object())
            return missing;
        const auto it = node->find(key);
        if (it == node->end())
            return missing;
        node = &*it;
    }
    return *node;
}

Json jsonStrings(const QStringList &texts) {
    Json list = Json::array();
    for (const QString &text : texts)
        list.push_back(stdstr(text));
    return list;
}
