#include "webviewpage.h"

#include <QtTest>

namespace {
const QString kFlush = QStringLiteral("('undefined' !== typeof Kestro) && Kestro.flush();\n");

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
                                "try { c() } catch (e) { console.error(e); }\n") +
                     kFlush);

        page.run(QStringLiteral("d()"));
        QTRY_COMPARE(view.scripts.size(), 2);
        page.run(QStringLiteral("e()"));
        QTRY_COMPARE(view.scripts.size(), 3);
        // The fifth script in a second waits: the chat is busy now.
        QCOMPARE(view.scripts.mid(1),
                 (QStringList{"d()", "try { e() } catch (e) { console.error(e); }\n" + kFlush}));
    }

    // A busy chat: past four scripts a second they wait for one another and go as one, the
    // page told to take them at once; the order holds.
    void aBusyChatGoesInBatches() {
        ScriptSink view;
        WebViewPage page;
        page.attach(&view);
        for (int i = 0; i < 4; ++i) {
            page.run(QStringLiteral("line(%1)").arg(i));
            QTRY_COMPARE(view.scripts.size(), i + 1);
        }
        page.run(QStringLiteral("line(4)"));
        QCoreApplication::processEvents(); // the turn ends: a calm page would have it now
        QCOMPARE(view.scripts.size(), 4);
        page.run(QStringLiteral("line(5)"));
        QTRY_COMPARE(view.scripts.size(), 5);
        QCOMPARE(view.scripts.last(),
                 QStringLiteral("try { line(4) } catch (e) { console.error(e); }\n"
                                "try { line(5) } catch (e) { console.error(e); }\n") +
                     kFlush);
    }
};

QTEST_GUILESS_MAIN(TestWebViewPage)
#include "tst_webviewpage.moc"
