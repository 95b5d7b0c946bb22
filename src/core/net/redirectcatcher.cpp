#include "redirectcatcher.h"

#include <QTcpSocket>

namespace {
// The fragment becomes the query of the same address; the address bar then loses the token.
const QByteArray kMovePage =
    "<!doctype html><html lang=\"ru\"><head><meta charset=\"utf-8\"><title>Kestro</title>"
    "</head><body><p>Kestro: входим…</p><script>"
    "if (location.hash.length > 1) location.replace(location.pathname + '?' + "
    "location.hash.slice(1));"
    "</script></body></html>";
const QByteArray kDonePage =
    "<!doctype html><html lang=\"ru\"><head><meta charset=\"utf-8\"><title>Kestro</title>"
    "</head><body><p id=\"done\">Готово: вернитесь в Kestro, эту вкладку можно закрыть.</p>"
    "<script>history.replaceState(null, '', location.pathname);</script></body></html>";

void reply(QTcpSocket *client, const char *status, const QByteArray &body) {
    client->write(QByteArray("HTTP/1.1 ") + status +
                  "\r\nContent-Type: text/html; charset=utf-8\r\nCache-Control: no-store\r\n"
                  "Referrer-Policy: no-referrer\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    client->disconnectFromHost();
}
} // namespace

RedirectCatcher::RedirectCatcher(QObject *parent)
    : QObject(parent) {
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *client = m_server.nextPendingConnection())
            serve(client);
    });
}

bool RedirectCatcher::listen(const QUrl &address, QString *error) {
    m_path = address.path();
    if (m_server.isListening() && m_server.serverPort() == address.port())
        return true;
    m_server.close();
    if (m_server.listen(QHostAddress::LocalHost, quint16(address.port())))
        return true;
    *error = m_server.errorString();
    return false;
}

void RedirectCatcher::serve(QTcpSocket *client) {
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    connect(client, &QTcpSocket::readyRead, client, [this, client] {
        QByteArray head = client->property("head").toByteArray() + client->readAll();
        if (head.size() > kMaxRequestBytes)
            return reply(client, "431 Request Header Fields Too Large", {});
        if (head.contains("\r\n\r\n"))
            return answer(client, head);
        client->setProperty("head", head);
    });
}

void RedirectCatcher::answer(QTcpSocket *client, const QByteArray &head) {
    const QList<QByteArray> request = head.left(head.indexOf("\r\n")).split(' ');
    const QUrl target(QString::fromLatin1(request.value(1)));
    if (request.value(0) != "GET" || target.path() != m_path)
        return reply(client, "404 Not Found", {});
    if (!target.hasQuery())
        return reply(client, "200 OK", kMovePage);
    reply(client, "200 OK", kDonePage);
    emit caught(QUrlQuery(target));
}
