#include "json.h"

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
