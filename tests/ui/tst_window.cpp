#include "composition.h"
#include "fakes/tempdatadir.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"
#include "shell/speechfile.h"
#include "startup.h"
#include "uihost.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QtTest>

// The real main window, on a virtual display.
class TestWindow : public QObject {
    Q_OBJECT
private:
    TempDataDir m_data;
    BotLogger m_logger{m_data.path()};
    BotConfig m_config{m_data.path()};
    SpeechFile m_speech{m_data.path()};
    Composition m_modules{m_logger, m_config, m_speech, Endpoints()};
    QQmlApplicationEngine m_engine;
    QQuickWindow *m_window = nullptr;

private slots:
    void initTestCase() {
        registerNativeTypes();
        m_modules.registerForQml();
        exposeShell(*m_engine.rootContext(), m_logger, m_config, m_speech);
        m_engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
        QCOMPARE(m_engine.rootObjects().size(), 1);
        m_window = qobject_cast<QQuickWindow *>(m_engine.rootObjects().first());
        QVERIFY(m_window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void windowFrame() {
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_window->width(), 440);
        QCOMPARE(m_window->height(), 600);
        QCOMPARE(m_window->title(), QStringLiteral("Kestro"));
        QCOMPARE(QQuickStyle::name(), QStringLiteral("Material"));
        // Material's dark theme background.
        QCOMPARE(m_window->color(), QColor(QStringLiteral("#303030")));
    }

    void fiveTabsInOrder() {
        QObject *tabs = m_window->findChild<QObject *>(QStringLiteral("tabs"));
        QVERIFY(tabs);
        QStringList captions;
        for (int i = 0; i < tabs->property("count").toInt(); ++i) {
            QQuickItem *button = nullptr;
            QMetaObject::invokeMethod(tabs, "itemAt", Q_RETURN_ARG(QQuickItem *, button),
                                      Q_ARG(int, i));
            QVERIFY(button);
            captions << button->property("text").toString();
        }
        QCOMPARE(captions, (QStringList{"Сервисы", "Чат", "События", "Алерты", "Вид"}));
        QObject *stack = m_window->findChild<QObject *>(QStringLiteral("stackView"));
        QVERIFY(stack);
        QCOMPARE(stack->property("depth").toInt(), 1);
        QObject *bgTab = stack->property("currentItem").value<QObject *>();
        QCOMPARE(bgTab->objectName(), QStringLiteral("bgTab"));
        QCOMPARE(bgTab->property("color").value<QColor>(), m_window->color());
    }

    // The screenshot is kept beside the test for a look by eye; the gold accent marks the
    // current tab.
    void screenshotShowsGoldAccent() {
        QTRY_VERIFY(m_window->isExposed());
        QTest::qWait(200);
        const QImage shot = m_window->grabWindow();
        QVERIFY(!shot.isNull());
        QVERIFY(shot.save(QStringLiteral("window.png")));
        const QColor gold(QStringLiteral("#ffc107"));
        bool found = false;
        for (int y = 0; y < 60 && !found; ++y) {
            for (int x = 0; x < shot.width() && !found; ++x) {
                const QColor pixel = shot.pixelColor(x, y);
                found = qAbs(pixel.red() - gold.red()) < 24 &&
                        qAbs(pixel.green() - gold.green()) < 24 &&
                        qAbs(pixel.blue() - gold.blue()) < 24;
            }
        }
        QVERIFY2(found, "no gold pixel in the tab bar");
    }
};

int main(int argc, char *argv[]) {
    prepareProcess();
    QGuiApplication app(argc, argv);
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_window.moc"
