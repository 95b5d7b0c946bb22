#pragma once

#include "chat/page.h"

#include <QObject>
#include <QPointer>

// A Page backed by a QML WebEngineView; scripts sent before a view is attached are dropped,
// as a page that has not loaded yet would drop them.
class WebViewPage final : public Page {
public:
    void attach(QObject *webView) { m_view = webView; }

    void run(const QString &script) override {
        if (m_view)
            QMetaObject::invokeMethod(m_view, "runJavaScript", Q_ARG(QString, script));
    }

private:
    QPointer<QObject> m_view;
};
