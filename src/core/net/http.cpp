#include "http.h"

#include <QNetworkReply>
#include <QPointer>

namespace {
const char kTimedOut[] = "_kestroTimedOut";

// A request that got no answer, told as the streamer can act on it.
QString failureOf(const QNetworkReply &reply) {
    const QString host = reply.url().host();
    if (reply.property(kTimedOut).toBool())
        return QStringLiteral("%1 не ответил за %2 с").arg(host).arg(Http::kTimeoutMs / 1000);
    switch (reply.error()) {
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("защищённое соединение с %1 не установлено (TLS)").arg(host);
    case QNetworkReply::TimeoutError:
        return QStringLiteral("%1 не ответил вовремя").arg(host);
    case QNetworkReply::NoError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("ответ %1 слишком велик").arg(host);
    default:
        return QStringLiteral("нет связи с %1").arg(host);
    }
}

// Why a patient request is sent again, in words.
QString missOf(const HttpReply &reply, const QString &host) {
    return reply.status ? QStringLiteral("%1 ответил статусом %2").arg(host).arg(reply.status)
                        : reply.failure;
}
} // namespace

QString HttpReply::problem() const {
    return status ? QStringLiteral("статус ответа - ") + QString::number(status) : failure;
}

struct Http::Request {
    QNetworkAccessManager::Operation operation;
    QNetworkRequest request;
    QByteArray body;
    Handler handler;
    std::optional<Patience> patience;
    int misses = 0;
};

Http::Http(QObject *parent)
    : Http(m_ownScheduler, parent) {}

Http::Http(Scheduler &scheduler, QObject *parent)
    : QObject(parent)
    , m_scheduler(scheduler) {}

int Http::retryDelayMs(int misses) {
    return int(qMin<qint64>(kMaxRetryMs, qint64(kFirstRetryMs) << qMin(misses, 16)));
}

namespace {
QNetworkRequest requestWith(const QUrl &url, const Http::Headers &headers) {
    QNetworkRequest request(url);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    return request;
}
} // namespace

void Http::get(const QUrl &url, Handler handler, const Headers &headers,
               std::optional<Patience> patience) {
    send(std::make_shared<Request>(Request{QNetworkAccessManager::GetOperation,
                                           requestWith(url, headers),
                                           {},
                                           std::move(handler),
                                           std::move(patience)}));
}

void Http::postJson(const QUrl &url, const QByteArray &body, Handler handler,
                    const Headers &headers, std::optional<Patience> patience) {
    QNetworkRequest request = requestWith(url, headers);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    send(std::make_shared<Request>(Request{QNetworkAccessManager::PostOperation, request, body,
                                           std::move(handler), std::move(patience)}));
}

void Http::postForm(const QUrl &url, const QByteArray &body, Handler handler,
                    std::optional<Patience> patience) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    send(std::make_shared<Request>(Request{QNetworkAccessManager::PostOperation, request, body,
                                           std::move(handler), std::move(patience)}));
}

void Http::send(const std::shared_ptr<Request> &request) {
    if (request->misses == 0)
        ++m_inFlight;
    QNetworkReply *reply = request->operation == QNetworkAccessManager::GetOperation
                               ? m_manager.get(request->request)
                               : m_manager.post(request->request, request->body);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxBody)
            reply->abort();
    });
    // The whole transfer, not only a silence: a trickle of bytes is cut too.
    m_scheduler.after(kTimeoutMs, reply, [watched = QPointer<QNetworkReply>(reply)] {
        if (!watched || watched->isFinished())
            return;
        watched->setProperty(kTimedOut, true);
        watched->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, request] {
        reply->deleteLater();
        HttpReply result;
        if (!reply->property(kTimedOut).toBool() && reply->bytesAvailable() <= kMaxBody &&
            reply->error() != QNetworkReply::OperationCanceledError) {
            result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            result.body = reply->readAll();
        }
        // A body past the cap is cut off however it ended.
        if (result.status == 0)
            result.failure = failureOf(*reply);
        const std::optional<Patience> &patience = request->patience;
        if (!patience || !result.unanswered())
            return finish(request, result);
        const int delay = retryDelayMs(request->misses);
        if (request->misses++ == 0 && patience->say)
            patience->say(QStringLiteral("%1: %2, пробуем снова через %3 с")
                              .arg(patience->service, missOf(result, reply->url().host()))
                              .arg(delay / 1000));
        m_scheduler.after(delay, this, [this, request] {
            if (request->patience->wanted && !request->patience->wanted()) {
                --m_inFlight;
                return;
            }
            send(request);
        });
    });
}

void Http::finish(const std::shared_ptr<Request> &request, const HttpReply &reply) {
    --m_inFlight;
    request->handler(reply);
    emit handled();
}
