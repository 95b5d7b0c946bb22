#include "webviewpage.h"

WebViewPage::WebViewPage() {
    m_flush.setSingleShot(true);
    m_flush.setInterval(0);
    QObject::connect(&m_flush, &QTimer::timeout, [this] { flush(); });
    m_clock.start();
}

void WebViewPage::run(const QString &script) {
    if (!m_view)
        return;
    m_pending << script;
    const bool wait = busy();
    if (m_flush.isActive())
        return;
    m_flush.setInterval(wait ? kBusyBatchMs : 0);
    m_flush.start();
}

bool WebViewPage::busy() {
    const qint64 now = m_clock.elapsed();
    m_arrivals.push_back(now);
    while (m_arrivals.front() < now - 1000)
        m_arrivals.pop_front();
    return int(m_arrivals.size()) > kCalmRate;
}

// Each call of a batch is fenced, so one that throws cannot cost the lines after it.
void WebViewPage::flush() {
    if (m_pending.isEmpty() || !m_view)
        return;
    // Lines held for one another go in now, as one update, not after the page's own wait.
    const bool held = m_flush.interval() == kBusyBatchMs;
    QString script;
    if (m_pending.size() == 1 && !held) {
        script = m_pending.first();
    } else {
        for (const QString &call : qAsConst(m_pending))
            script += QStringLiteral("try { ") + call +
                      QStringLiteral(" } catch (e) { console.error(e); }\n");
        script += QStringLiteral("('undefined' !== typeof Kestro) && Kestro.flush();\n");
    }
    m_pending.clear();
    QMetaObject::invokeMethod(m_view, "runJavaScript", Q_ARG(QString, script));
}
