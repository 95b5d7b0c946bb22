#include "overlaybench.h"

#include "fakes/cdpbrowser.h"
#include "fakes/chatrig.h"
#include "fakes/freeport.h"
#include "overlay/overlay.h"
#include "processstats.h"
#include "replay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// Each line carries the wall time it left the presenter; the page writes down how late each
// one reached its DOM.
const char kWatch[] = R"(
window.lateness = [];
new MutationObserver(function (records) {
    var now = Date.now();
    records.forEach(function (record) {
        record.addedNodes.forEach(function (node) {
            var sent = /sent=(\d+)/.exec(node.textContent);
            if (sent)
                window.lateness.push(now - Number(sent[1]));
        });
    });
}).observe(document.getElementById('chatList'), {childList: true});
1)";

double megabytes(qint64 bytes) {
    return double(bytes) / (1024.0 * 1024.0);
}
} // namespace

int runOverlayBench(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const char *secondsOption = option(argc, argv, "--seconds");
    const char *rateOption = option(argc, argv, "--rate");
    const int seconds = secondsOption ? std::max(1, std::atoi(secondsOption)) : 60;
    const int rate = rateOption ? std::max(10, std::atoi(rateOption)) : 1000;

    ChatRig rig;
    Overlay overlay(rig.utils, rig.clock);
    QObject::connect(&rig.chat, &Chat::lineShown, &overlay, &Overlay::chatLine);
    rig.utils.form().overlayPort = QString::number(freePortPair());
    overlay.start();
    CdpBrowser browser;
    if (!browser.ready() || !browser.open(overlay.chatUrl())) {
        std::fprintf(stderr, "overlay: no browser: %s\n", qPrintable(browser.error()));
        return 1;
    }
    browser.eval(QString::fromLatin1(kWatch));

    // Lines go out every 10 ms, so the rate holds without one burst a second.
    const int perTick = std::max(1, rate / 100);
    qint64 sent = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    std::vector<double> rssMb;
    QTimer pace;
    pace.setInterval(10);
    QObject::connect(&pace, &QTimer::timeout, [&] {
        const qint64 due = elapsed.elapsed() * rate / 1000;
        for (int i = 0; i < perTick * 4 && sent < due; ++i, ++sent) {
            MessagePart nick =
                MessagePart::textPart(QStringLiteral("viewer%1").arg(sent % 97),
                                      MessagePart::Tone::Author, QStringLiteral("#1E90FF"));
            Author author;
            author.service = QStringLiteral("twitch");
            author.messageIds << QString::number(sent);
            nick.author = author;
            rig.chat.showInChat(
                {MessagePart::badge(QStringLiteral("qrc:/images/Twitch.badge.png"),
                                    QStringLiteral("Twitch")),
                 nick,
                 MessagePart::textPart(QStringLiteral(": hello chat sent=%1")
                                           .arg(QDateTime::currentMSecsSinceEpoch()))});
        }
        drain(rig);
    });
    QTimer sample;
    sample.setInterval(5000);
    QObject::connect(&sample, &QTimer::timeout, [&] {
        rssMb.push_back(megabytes(residentBytes(processFamily(browser.pid()))));
    });
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, &app, &QCoreApplication::quit);
    pace.start();
    sample.start();
    stop.start(seconds * 1000);
    app.exec();
    pace.stop();
    sample.stop();

    std::vector<double> lateness;
    const QJsonArray values = browser.eval(QStringLiteral("window.lateness")).toArray();
    for (const QJsonValue &value : values)
        lateness.push_back(value.toDouble());
    std::printf("overlay.lines_sent %lld lines\n", static_cast<long long>(sent));
    std::printf("overlay.lines_in_dom %zu lines\n", lateness.size());
    std::printf("overlay.latency_ms.p50 %.1f ms\n", percentile(lateness, 0.50));
    std::printf("overlay.latency_ms.p99 %.1f ms\n", percentile(lateness, 0.99));
    std::printf("overlay.latency_ms.max %.1f ms\n", percentile(lateness, 1.0));
    if (rssMb.size() >= 2) {
        std::printf("overlay.browser_rss_mb.at_10s %.1f MB\n", rssMb.at(1));
        std::printf("overlay.browser_rss_mb.at_end %.1f MB\n", rssMb.back());
        std::printf("overlay.browser_rss_mb.max_after_10s %.1f MB\n",
                    *std::max_element(rssMb.begin() + 1, rssMb.end()));
    }
    return 0;
}
