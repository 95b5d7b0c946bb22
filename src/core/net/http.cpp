#include "http.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace {
// A request that got no answer, told as the streamer can act on it.
QString failureOf(QNetworkReply::NetworkError error, const QString &host) {
    switch (error) {
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("защищённое соединение с %1 не установлено (TLS)").arg(host);
    case QNetworkReply::TimeoutError:
        return QStringLiteral("%1 не ответил вовремя").arg(host);
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("ответ %1 слишком велик").arg(host);
    default:
        return QStringLiteral("нет связи с %1").arg(host);
    }
}
} // namespace

QString HttpReply::problem() const {
    return status ? QStringLiteral("статус ответа - ") + QString::number(status) : failure;
}

Http::Http(QObject *parent)
    : QObject(parent) {}

namespace {
QNetworkRequest requestWith(const QUrl &url, const Http::Headers &headers) {
    QNetworkRequest request(url);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    return request;
}
} // namespace

void Http::get(const QUrl &url, Handler handler, const Headers &headers) {
    watch(m_manager.get(requestWith(url, headers)), std::move(handler));
}

void Http::postJson(const QUrl &url, const QByteArray &body, Handler handler,
                    const Headers &headers) {
    QNetworkRequest request = requestWith(url, headers);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    watch(m_manager.post(request, body), std::move(handler));
}

void Http::postForm(const QUrl &url, const QByteArray &body, Handler handler) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    watch(m_manager.post(request, body), std::move(handler));
}

void Http::watch(QNetworkReply *reply, Handler handler) {
    ++m_inFlight;
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxBody)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, handler = std::move(handler)] {
        reply->deleteLater();
        --m_inFlight;
        HttpReply result;
        if (reply->bytesAvailable() <= kMaxBody &&
            reply->error() != QNetworkReply::OperationCanceledError) {
            result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            result.body = reply->readAll();
        }
        // A body past the cap is cut off however it ended.
        if (result.status == 0)
            result.failure = failureOf(reply->error() == QNetworkReply::NoError
                                           ? QNetworkReply::OperationCanceledError
                                           : reply->error(),
                                       reply->url().host());
        handler(result);
        emit handled();
    });
}
