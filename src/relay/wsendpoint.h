#pragma once

#include "relaylog.h"

#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QWebSocketServer>

class QWebSocket;

// One WebSocket endpoint of the relay: one path, a cap on messages, a cap on clients, and a
// close for a client that says nothing in time. A client counts against the cap once its
// request is accepted; a connection still silent gives way to a newer one, so idle
// connections cannot lock real requests out. What a client says is the subclass's.
class WsEndpoint : public QObject {
    Q_OBJECT
public:
    struct Limits {
        int maxClients = 64;
        int requestWithinMs = 2000;
        qint64 maxMessageBytes = 1024;
    };

    WsEndpoint(const QString &name, const QString &path, Limits limits, RelayLog log);
    ~WsEndpoint() override;
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    // Every open connection, those still to send their request included.
    int clients() const { return m_clients.size() + m_waiting.size(); }

protected:
    virtual void text(QWebSocket &client, const QString &message) = 0;
    virtual void gone(QWebSocket &) {}
    // Logs why and closes the connection.
    void refuse(QWebSocket &client, const QString &why,
                QWebSocketProtocol::CloseCode code = QWebSocketProtocol::CloseCodeWrongDatatype);
    // The client's request is accepted: it holds a slot, and no idle close any more.
    void settle(QWebSocket &client);
    void say(const QString &line) const;
    static QString peer(const QWebSocket &client);

private:
    void accept();
    void admit(QWebSocket *client);
    // Whether a slot is free, after the oldest silent connection gave way when needed.
    bool makeRoom();
    void watch(QWebSocket *client);

    QString m_name;
    QString m_path;
    Limits m_limits;
    RelayLog m_log;
    QWebSocketServer m_server;
    QSet<QWebSocket *> m_clients;
    QList<QWebSocket *> m_waiting; // oldest first
};
