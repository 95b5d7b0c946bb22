#pragma once

#include <QStringList>
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

// The HTTP side of the overlay, on a thread of its own: GET of the known paths only, from
// files read out of the program's resources before it starts.
class OverlayHttp {
public:
    struct Asset {
        std::string type;
        std::string body;
        bool open = false; // asked without the token
    };

    // `query` is appended to the pages' own links ("?token=…" or nothing); `pushPort` is where
    // their script finds the events; the services' looks may load from `hosts`.
    OverlayHttp(const QString &token, const QString &query, quint16 pushPort,
                const QStringList &hosts);
    ~OverlayHttp();

    bool listen(const QString &host, quint16 port);

private:
    void route();
    void addLooks();

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::atomic<bool> m_finished{false};
    std::map<std::string, Asset> m_assets; // by request path
    std::string m_token;
    quint16 m_pushPort;
    std::string m_hosts; // joined by spaces, each with a space before it
};
