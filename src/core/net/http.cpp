#include "http.h"

#include <QNetworkReply>
#include <QNetworkRequest>

Http::Http(QObject *parent)
    : QObject(parent) {}

void Http::get(const QUrl &url, Handler handler, const Headers &headers) {
    QNetworkRequest request(url);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    watch(m_manager.get(request), std::move(handler));
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
        handler(result);
        emit handled();
    });
}
