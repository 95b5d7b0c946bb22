#pragma once

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>

// Debian's Chromium, headless, driven over the DevTools protocol: one page, navigated and
// asked with scripts, as OBS's browser source would show the overlay.
class CdpBrowser {
public:
    CdpBrowser() {
        const QString binary = QFileInfo::exists(QStringLiteral("/usr/lib/chromium/chromium"))
                                   ? QStringLiteral("/usr/lib/chromium/chromium")
                                   : QStringLiteral("chromium");
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(binary, {QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"),
                                 QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
                                 QStringLiteral("--no-default-browser-check"),
                                 QStringLiteral("--disable-background-networking"),
                                 QStringLiteral("--remote-debugging-port=0"),
                                 QStringLiteral("--user-data-dir=") + m_profile.path(),
                                 QStringLiteral("about:blank")});
        QString endpoint;
        const QRegularExpression listening(QStringLiteral("DevTools listening on (ws://\\S+)"));
        QString said;
        (void)QTest::qWaitFor(
            [&] {
                said += QString::fromUtf8(m_process.readAllStandardError());
                endpoint = listening.match(said).captured(1);
                return !endpoint.isEmpty() || m_process.state() == QProcess::NotRunning;
            },
            20000);
        if (endpoint.isEmpty()) {
            m_error = QStringLiteral("chromium did not start: ") + said.left(400);
            return;
        }
        connectToPage(QUrl(endpoint));
    }

    ~CdpBrowser() {
        m_page.abort();
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool ready() const { return m_page.state() == QAbstractSocket::ConnectedState; }
    QString error() const { return m_error; }
    qint64 pid() const { return m_process.processId(); }

    // Navigates and waits until the page has loaded.
    bool open(const QString &url) {
        call(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url}});
        return QTest::qWaitFor(
            [&] {
                return eval(QStringLiteral("location.href === '") + url +
                            QStringLiteral("' && document.readyState !== 'loading'"))
                    .toBool();
            },
            10000);
    }

    // The value of an expression in the page (promises awaited); undefined on failure.
    QJsonValue eval(const QString &expression) {
        const QJsonObject answer =
            call(QStringLiteral("Runtime.evaluate"), {{QStringLiteral("expression"), expression},
                                                      {QStringLiteral("returnByValue"), true},
                                                      {QStringLiteral("awaitPromise"), true}});
        return answer.value(QStringLiteral("result"))
            .toObject()
            .value(QStringLiteral("result"))
            .toObject()
            .value(QStringLiteral("value"));
    }

private:
    // The first page target the browser lists.
    void connectToPage(const QUrl &browser) {
        QNetworkAccessManager network;
        QUrl list = browser;
        list.setScheme(QStringLiteral("http"));
        list.setPath(QStringLiteral("/json/list"));
        QNetworkReply *reply = network.get(QNetworkRequest(list));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const QJsonArray targets = QJsonDocument::fromJson(reply->readAll()).array();
        reply->deleteLater();
        for (const QJsonValue &target : targets) {
            const QJsonObject object = target.toObject();
            if (object.value(QStringLiteral("type")).toString() != QLatin1String("page"))
                continue;
            QObject::connect(
                &m_page, &QWebSocket::textMessageReceived, [this](const QString &text) {
                    const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
                    if (message.contains(QStringLiteral("id")))
                        m_answers.insert(message.value(QStringLiteral("id")).toInt(), message);
                });
            m_page.open(QUrl(object.value(QStringLiteral("webSocketDebuggerUrl")).toString()));
            (void)QTest::qWaitFor([this] { return ready(); }, 10000);
            return;
        }
        m_error = QStringLiteral("no page target");
    }

    QJsonObject call(const QString &method, const QJsonObject &params) {
        const int id = ++m_lastId;
        m_page.sendTextMessage(
            QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("id"), id},
                                                        {QStringLiteral("method"), method},
                                                        {QStringLiteral("params"), params}})
                                  .toJson(QJsonDocument::Compact)));
        (void)QTest::qWaitFor([&] { return m_answers.contains(id); }, 10000);
        return m_answers.take(id);
    }

    QTemporaryDir m_profile;
    QProcess m_process;
    QWebSocket m_page;
    QHash<int, QJsonObject> m_answers;
    int m_lastId = 0;
    QString m_error;
};
