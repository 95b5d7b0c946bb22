#pragma once

#include <QQuickItem>

// By object name in the visual tree: a repeater's rows have no object parent.
inline QQuickItem *findItem(QQuickItem *root, const QString &name) {
    for (QQuickItem *child : root->childItems()) {
        if (child->objectName() == name)
            return child;
        if (QQuickItem *found = findItem(child, name))
            return found;
    }
    return nullptr;
}
