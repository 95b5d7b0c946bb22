#pragma once

#include <QQuickItem>
#include <QTest>

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

// A web view's answer to a script, read back through the page's title once the title carries
// the question's number (unique for each question to the same view).
inline QString askPage(QQuickItem *view, const QString &expression, int question) {
    const QString marker = QString::number(question) + QLatin1Char(':');
    QMetaObject::invokeMethod(view, "runJavaScript",
                              Q_ARG(QString, QStringLiteral("document.title = '") + marker +
                                                 QStringLiteral("' + String(") + expression +
                                                 QLatin1Char(')')));
    const auto answered = [&] {
        return view->property("title").toString().startsWith(marker);
    };
    return QTest::qWaitFor(answered, 5000) ? view->property("title").toString().mid(marker.size())
                                           : QString();
}
