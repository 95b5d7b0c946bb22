#pragma once

#include "model/page.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>

// A Page backed by a QML WebEngineView. The scripts of one turn of the event loop go to the
// view as one, in order, at the end of the turn: a burst of chat lines costs one round trip to
// the renderer instead of one each. A busy chat's scripts wait for one another up to 200 ms
// and the page takes the whole batch in one update, so the renderer runs a few scripts a
// second, not one a line. Scripts sent before a view is attached are dropped, as a page that
// has not loaded yet would drop them.
class WebViewPage final : public Page {
public:
    WebViewPage();

    void attach(QObject *webView) { m_view = webView; }
    void run(const QString &script) override;

    // Above this many scripts in a second the page is busy.
    static constexpr int kCalmRate = 4;
    static constexpr int kBusyBatchMs = 200;

private:
    bool busy();
    void flush();

    QPointer<QObject> m_view;
    QStringList m_pending;
    QTimer m_flush;
    QElapsedTimer m_clock;
    std::deque<qint64> m_arrivals; // the last second's scripts, when
};
