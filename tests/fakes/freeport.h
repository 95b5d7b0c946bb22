#pragma once

#include <QTcpServer>

// A free loopback port whose next port is free too: the overlay's pages and its events.
inline quint16 freePortPair() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        QTcpServer first;
        QTcpServer second;
        if (first.listen(QHostAddress::LocalHost, 0) &&
            second.listen(QHostAddress::LocalHost, quint16(first.serverPort() + 1)))
            return first.serverPort();
    }
    return 0;
}
