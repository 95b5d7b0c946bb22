#include "webviewpage.h"

WebViewPage::WebViewPage() {
    m_flush.setSingleShot(true);
    m_flush.setInterval(0);
    QObject::connect(&m_flush, &QTimer::timeout, [this] { flush(); });
}

void WebViewPage::run(const QString &script) {
    if (!m_view)
        return;
    m_pending << script;
    if (!m_flush.isActive())
        m_flush.start();
}

// Each call of a batch is fenced, so one that throws cannot cost the lines after it.
void WebViewPage::flush() {
    if (m_pending.isEmpty() || !m_view)
        return;
    QString script;
    if (m_pending.size() == 1) {
        script = m_pending.first();
    } else {
        for (const QString &call : qAsConst(m_pending))
            script += QStringLiteral("try { ") + call +
                      QStringLiteral(" } catch (e) { console.error(e); }\n");
    }
    m_pending.clear();
    QMetaObject::invokeMethod(m_view, "runJavaScript", Q_ARG(QString, script));
}
