#pragma once

#include "common/json.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <memory>

class QWebSocket;
class QWebSocketServer;
class OverlayHttp;

// The overlay pages for OBS's browser source: the pages, their script, styles and images over
// HTTP on a port, and every event pushed over a WebSocket on the next port. On loopback
// nothing more is asked; open to the local network, every request carries the token.
class OverlayServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxClients = 8;

    struct Options {
        quint16 port = 8090;
        bool lan = false;
        QString token;
        QStringList hosts; // besides its own, where the services' looks load from
    };

    OverlayServer();
    ~OverlayServer() override;

    // Listens anew; false with the reason when a port cannot be had.
    bool listen(const Options &options, QString *error);
    void close();
    bool listening() const;
    const Options &options() const { return m_options; }
    // The address a browser on this machine opens, with the token when one is asked.
    QString pageUrl(const QString &page) const;
    int clientCount() const { return m_clients.size(); }

    // What a page that joins is told first, and then each event as it comes.
    void setWelcome(const std::function<QList<Json>()> &welcome) { m_welcome = welcome; }
    void broadcast(const Json &event);

signals:
    void clientsChanged();

private:
    void accept();
    void drop(QWebSocket *client);

    Options m_options;
    std::unique_ptr<OverlayHttp> m_http;
    std::unique_ptr<QWebSocketServer> m_push;
    QList<QWebSocket *> m_clients;
    std::function<QList<Json>()> m_welcome;
};
