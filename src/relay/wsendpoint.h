#pragma once

#include "relaylog.h"

#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QWebSocketServer>

class QWebSocket;

// One WebSocket endpoint of the relay: one path, a cap on clients, and a close for a client
// that says nothing in time. What a client says is the subclass's.
class WsEndpoint : public QObject {
    Q_OBJECT
public:
    WsEndpoint(const QString &name, const QString &path, int maxClients, int idleMs, RelayLog log);
    ~WsEndpoint() override;
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    int clients() const { return m_clients.size(); }

protected:
    virtual void text(QWebSocket &client, const QString &message) = 0;
    virtual void gone(QWebSocket &) {}
    // Logs why and closes the connection.
    void refuse(QWebSocket &client, const QString &why,
                QWebSocketProtocol::CloseCode code = QWebSocketProtocol::CloseCodeWrongDatatype);
    // The client has said what it came for: no idle close any more.
    void settle(QWebSocket &client);
    void say(const QString &line) const;
    static QString peer(const QWebSocket &client);

private:
    void accept();

    QString m_name;
    QString m_path;
    int m_maxClients;
    int m_idleMs;
    RelayLog m_log;
    QWebSocketServer m_server;
    QSet<QWebSocket *> m_clients;
};
