#pragma once

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// A loopback IRC server that records what the client sends and sends what the test says.
class IrcServer {
public:
    IrcServer() { server.listen(QHostAddress::LocalHost); }

    quint16 port() const { return server.serverPort(); }

    // Waits for the client's connection (the newest one).
    bool accept() {
        if (!server.hasPendingConnections() && !server.waitForNewConnection(5000))
            return false;
        client = server.nextPendingConnection();
        return client != nullptr;
    }

    void send(const QByteArray &bytes) {
        client->write(bytes);
        client->flush();
    }

    // Everything the client has sent so far, once at least `size` bytes arrived.
    QByteArray receivedAtLeast(int size) {
        QElapsedTimer timer;
        timer.start();
        while (!bytes(size) && timer.elapsed() < 5000)
            QTest::qWait(5);
        return m_bytes;
    }

    QTcpServer server;
    QTcpSocket *client = nullptr;

private:
    bool bytes(int size) {
        if (client)
            m_bytes += client->readAll();
        return m_bytes.size() >= size;
    }
    QByteArray m_bytes;
};
