#pragma once

#include "model/page.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

// A Page backed by a QML WebEngineView. The scripts of one turn of the event loop go to the
// view as one, in order, at the end of the turn: a burst of chat lines costs one round trip to
// the renderer instead of one each. Scripts sent before a view is attached are dropped, as a
// page that has not loaded yet would drop them.
class WebViewPage final : public Page {
public:
    WebViewPage();

    void attach(QObject *webView) { m_view = webView; }
    void run(const QString &script) override;

private:
    void flush();

    QPointer<QObject> m_view;
    QStringList m_pending;
    QTimer m_flush;
};
