#include "overlayserver.h"

#include "common/js.h"
#include "common/logging.h"
#include "overlay/overlayhttp.h"

#include <QNetworkInterface>
#include <QUrlQuery>
#include <QWebSocket>
#include <QWebSocketServer>

OverlayServer::OverlayServer() = default;

OverlayServer::~OverlayServer() {
    close();
}

bool OverlayServer::listen(const Options &options, QString *error) {
    close();
    m_options = options;
    const bool lan = options.lan;
    const QString query = lan ? QStringLiteral("?token=") + options.token : QString();
    const quint16 pushPort = quint16(options.port + 1);
    auto http = std::make_unique<OverlayHttp>(lan ? options.token : QString(), query, pushPort,
                                              options.hosts);
    const QString host = lan ? QStringLiteral("0.0.0.0") : QStringLiteral("127.0.0.1");
    auto push = std::make_unique<QWebSocketServer>(QStringLiteral("Kestro overlay"),
                                                   QWebSocketServer::NonSecureMode);
    const auto busy = [&](quint16 port) {
        if (error)
            *error = QStringLiteral("Оверлей: порт %1 занят, оверлей не запущен").arg(port);
        qCWarning(lcOverlay).noquote() << QStringLiteral("port %1 is busy").arg(port);
        return false;
    };
    if (options.port == 0 || options.port == 65535) {
        if (error)
            *error = QStringLiteral("Оверлей: порт не задан, оверлей не запущен");
        return false;
    }
    if (!http->listen(host, options.port))
        return busy(options.port);
    if (!push->listen(lan ? QHostAddress::Any : QHostAddress::LocalHost, pushPort))
        return busy(pushPort);
    m_http = std::move(http);
    m_push = std::move(push);
    connect(m_push.get(), &QWebSocketServer::newConnection, this, &OverlayServer::accept);
    return true;
}

void OverlayServer::close() {
    for (QWebSocket *client : qAsConst(m_clients)) {
        client->disconnect(this);
        client->abort();
        client->deleteLater();
    }
    const bool had = !m_clients.isEmpty();
    m_clients.clear();
    m_push.reset();
    m_http.reset();
    if (had)
        emit clientsChanged();
}

bool OverlayServer::listening() const {
    return m_push != nullptr;
}

namespace {
// Where OBS on another computer finds this one: its first network address that is not loopback.
QString lanHost() {
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    }
    return QStringLiteral("127.0.0.1");
}
} // namespace

QString OverlayServer::pageUrl(const QString &page) const {
    const QString host = m_options.lan ? lanHost() : QStringLiteral("127.0.0.1");
    QString url = QStringLiteral("http://%1:%2/overlay/%3").arg(host).arg(m_options.port).arg(page);
    if (m_options.lan)
        url += QStringLiteral("?token=") + m_options.token;
    return url;
}

// A page of the wrong path or token, or one past the limit, is closed at once.
void OverlayServer::accept() {
    while (QWebSocket *client = m_push->nextPendingConnection()) {
        const QUrl url = client->requestUrl();
        const bool allowed = url.path() == QLatin1String("/overlay/events") &&
                             (!m_options.lan || QUrlQuery(url).queryItemValue(
                                                    QStringLiteral("token")) == m_options.token);
        if (!allowed || m_clients.size() >= kMaxClients) {
            client->close(allowed ? QWebSocketProtocol::CloseCodeGoingAway
                                  : QWebSocketProtocol::CloseCodePolicyViolated);
            client->deleteLater();
            continue;
        }
        m_clients << client;
        connect(client, &QWebSocket::disconnected, this, [this, client] { drop(client); });
        if (m_welcome) {
            for (const Json &event : m_welcome())
                client->sendTextMessage(qstr(event.dump()));
        }
        emit clientsChanged();
    }
}

void OverlayServer::drop(QWebSocket *client) {
    if (m_clients.removeOne(client)) {
        client->deleteLater();
        emit clientsChanged();
    }
}

void OverlayServer::broadcast(const Json &event) {
    const QString text = qstr(event.dump());
    for (QWebSocket *client : qAsConst(m_clients))
        client->sendTextMessage(text);
}
