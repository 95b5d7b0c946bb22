#include "webviewpage.h"

#include <QtTest>

namespace {
// Stands in for the web view: remembers each script it is asked to run.
class ScriptSink : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void runJavaScript(const QString &script) { scripts << script; }
    QStringList scripts;
};
} // namespace

class TestWebViewPage : public QObject {
    Q_OBJECT
private slots:
    void oneTurnIsOneCall() {
        ScriptSink view;
        WebViewPage page;
        page.run(QStringLiteral("dropped()"));
        page.attach(&view);
        page.run(QStringLiteral("a()"));
        page.run(QStringLiteral("b()"));
        page.run(QStringLiteral("c()"));
        QVERIFY(view.scripts.isEmpty());
        QTRY_COMPARE(view.scripts.size(), 1);
        QCOMPARE(view.scripts.first(),
                 QStringLiteral("try { a() } catch (e) { console.error(e); }\n"
                                "try { b() } catch (e) { console.error(e); }\n"
                                "try { c() } catch (e) { console.error(e); }\n"));

        page.run(QStringLiteral("d()"));
        QTRY_COMPARE(view.scripts.size(), 2);
        page.run(QStringLiteral("e()"));
        QTRY_COMPARE(view.scripts.size(), 3);
        QCOMPARE(view.scripts.mid(1), (QStringList{"d()", "e()"}));
    }
};

QTEST_GUILESS_MAIN(TestWebViewPage)
#include "tst_webviewpage.moc"
