#pragma once

#include "model/page.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

// Records every address a page asks for and lets only the program's own resources and
// loopback through, so page tests never leave the machine and can tell what a page tried to
// fetch.
class RequestRecorder final : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo &info) override {
        requested << info.requestUrl();
        if (info.requestUrl().scheme() != QLatin1String("qrc") &&
            info.requestUrl().host() != QLatin1String("127.0.0.1"))
            info.block(true);
    }
    QList<QUrl> requested;
};

// One of the program's pages in a real web view, driven like the window drives it: the
// window's script `onReady` runs once the document is ready.
class WebPageHost final : public Page {
public:
    explicit WebPageHost(const QUrl &url, const QString &onReady = {},
                         QSize size = QSize(440, 400)) {
        m_profile.setUrlRequestInterceptor(&recorder);
        m_page = new QWebEnginePage(&m_profile, &view);
        if (!onReady.isEmpty()) {
            QWebEngineScript script;
            script.setInjectionPoint(QWebEngineScript::DocumentReady);
            script.setWorldId(QWebEngineScript::MainWorld);
            script.setSourceCode(onReady);
            m_page->scripts().insert(script);
        }
        view.setPage(m_page);
        view.resize(size);
        view.show();
        QSignalSpy loaded(m_page, &QWebEnginePage::loadFinished);
        view.load(url);
        loaded.wait(30000);
    }

    void run(const QString &script) override { m_page->runJavaScript(script); }

    // Runs a script and waits for its value; scripts run in order, so earlier calls are done.
    QVariant eval(const QString &script) {
        QVariant result;
        QEventLoop loop;
        m_page->runJavaScript(script, [&](const QVariant &value) {
            result = value;
            loop.quit();
        });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        return result;
    }

    // Declared in this order so the view and its page go before the profile they use.
    RequestRecorder recorder;

private:
    QWebEngineProfile m_profile;

public:
    QWebEngineView view;

private:
    QWebEnginePage *m_page = nullptr;
};
