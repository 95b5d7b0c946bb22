#pragma once

#include <QWebSocket>
#include <memory>

// Closes a link's socket, silenced, and frees it later: it may be inside one of its own
// signals, and its close must not be taken for a loss.
inline void dropSocket(std::unique_ptr<QWebSocket> &socket) {
    if (!socket)
        return;
    QWebSocket *old = socket.release();
    old->disconnect();
    old->close();
    old->deleteLater();
}
