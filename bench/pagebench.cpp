#include "pagebench.h"

#include "processstats.h"
#include "replay.h"
#include "startup.h"
#include "twitchbench.h"
#include "webviewpage.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWebEngineProfile>
#include <QTimer>
#include <QWebEngineUrlRequestInterceptor>
#include <cstdio>
#include <vector>

namespace {
// The page stays on this machine: every emote and badge is one local image, which the page
// then keeps in its memory cache as it would keep the real ones; fonts are refused.
class LocalOnly final : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo &info) override {
        if (info.requestUrl().scheme() == QLatin1String("qrc"))
            return;
        if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeImage)
            info.redirect(QUrl(QStringLiteral("qrc:/web/looks/twitch/badge.png")));
        else
            info.block(true);
    }
};

const char kPageDocument[] = R"(
import QtQuick 2.14
import QtQuick.Window 2.14
import QtWebEngine 1.10
Window {
    visible: true
    width: 420
    height: 520
    WebEngineView { objectName: "view"; anchors.fill: parent; url: "qrc:/web/chat.html" }
}
)";

// Lateness of a 10 ms timer on the main thread, in ms.
class TimerLateness {
public:
    void start() {
        m_clock.start();
        m_last = 0;
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    std::vector<double> &samples() { return m_samples; }
    std::function<void()> onTick;

private:
    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        m_samples.push_back(std::max(0.0, (now - m_last) / 1e6 - 10));
        m_last = now;
        if (onTick)
            onTick();
    }
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    QTimer m_timer;
    std::vector<double> m_samples;
};

struct PageRun {
    QObject *view = nullptr;
    WebViewPage page;
    QStringList scripts;
    qint64 sent = 0;

    void send(int lines) {
        for (int i = 0; i < lines; ++i)
            page.run(scripts.at(int(sent++ % scripts.size())));
    }
    // Lines the page has taken: the count its title was last set to.
    qint64 taken() const { return view->property("title").toString().toLongLong(); }
    void mark() { page.run(QStringLiteral("document.title = '%1'").arg(sent)); }
};

void waitFor(const std::function<bool()> &done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

// The web engine's processes: this one's family without itself.
double webEngineMegabytes() {
    QSet<qint64> family = processFamily(QCoreApplication::applicationPid());
    family.remove(QCoreApplication::applicationPid());
    return residentBytes(family) / (1024.0 * 1024.0);
}

// As fast as the page takes them: a few batches in flight, each ending with a title mark.
void maxRate(PageRun &run, qint64 total, int batch) {
    const qint64 decile = total / 10;
    QElapsedTimer clock;
    std::vector<double> deciles;
    std::vector<std::pair<qint64, double>> memory;
    const qint64 memoryAt[] = {1000, 10000, total};
    size_t nextMemory = 0;
    qint64 lastDecileAt = 0;
    qint64 lastSend = 0;
    TimerLateness lateness;
    lateness.start();
    clock.start();
    while (run.taken() < total) {
        while (run.sent < total && run.sent - run.taken() < 8 * batch) {
            run.send(int(std::min<qint64>(batch, total - run.sent)));
            run.mark();
            lastSend = clock.elapsed();
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const qint64 taken = run.taken();
        while (qint64(deciles.size()) < 10 && taken >= decile * qint64(deciles.size() + 1)) {
            const qint64 now = clock.elapsed();
            deciles.push_back(decile * 1000.0 / std::max<qint64>(1, now - lastDecileAt));
            lastDecileAt = now;
        }
        while (nextMemory < 3 && taken >= memoryAt[nextMemory])
            memory.emplace_back(memoryAt[nextMemory++], webEngineMegabytes());
    }
    const qint64 lastLine = clock.elapsed() - lastSend;
    lateness.stop();
    for (size_t i = 0; i < deciles.size(); ++i)
        std::printf("page.lines_per_s.decile_%zu %.0f lines/s\n", i + 1, deciles[i]);
    std::printf("page.last_line_ms %lld ms\n", static_cast<long long>(lastLine));
    for (const auto &[lines, mb] : memory)
        std::printf("page.renderer_rss_mb.at_%lld %.0f MB\n", static_cast<long long>(lines), mb);
    std::printf("page.timer_late_ms.p50 %.1f ms\npage.timer_late_ms.p99 %.1f ms\n",
                percentile(lateness.samples(), 0.5), percentile(lateness.samples(), 0.99));
}

// Lines arriving at 1,000 a second, ten on each tick of the measured 10 ms timer.
void paced(PageRun &run) {
    TimerLateness lateness;
    lateness.onTick = [&run] {
        run.send(10);
        run.mark();
    };
    lateness.start();
    QElapsedTimer clock;
    clock.start();
    waitFor([&clock] { return clock.elapsed() >= 5000; }, 10000);
    lateness.stop();
    std::printf("page.paced_timer_late_ms.p50 %.1f ms\npage.paced_timer_late_ms.p99 %.1f ms\n",
                percentile(lateness.samples(), 0.5), percentile(lateness.samples(), 0.99));
}
} // namespace

int runPageBench(int argc, char *argv[]) {
    prepareProcess();
    QGuiApplication app(argc, argv);
    chooseSceneGraph();
    const char *lines = option(argc, argv, "--lines");
    const char *batchOption = option(argc, argv, "--batch");
    const qint64 total = std::max<qint64>(10, lines ? QByteArray(lines).toLongLong() : 100000);
    const int batch = std::max(1, batchOption ? QByteArray(batchOption).toInt() : 50);

    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    PageRun run;
    run.scripts = chatPageScripts();
    LocalOnly localOnly;
    QQuickWebEngineProfile::defaultProfile()->setUrlRequestInterceptor(&localOnly);
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(kPageDocument, QUrl());
    std::unique_ptr<QObject> window(component.create());
    run.view = window ? window->findChild<QObject *>(QStringLiteral("view")) : nullptr;
    if (!run.view || run.scripts.isEmpty()) {
        std::fputs("page: the chat page could not be built\n", stderr);
        return 1;
    }
    waitFor([&run] { return run.view->property("loadProgress").toInt() == 100; }, 30000);
    run.page.attach(run.view);
    run.mark();
    waitFor([&run] { return run.view->property("title").toString() == QLatin1String("0"); }, 10000);

    maxRate(run, total, batch);
    paced(run);
    return 0;
}
