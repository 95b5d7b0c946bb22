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

// A free loopback port, for a server the code under test starts itself.
inline quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
