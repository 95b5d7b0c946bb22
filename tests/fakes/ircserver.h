#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// A loopback IRC server that records what its newest client sends and sends what the test
// says; it never answers a PING, so a quiet server looks like a half-open link.
class IrcServer {
public:
    explicit IrcServer(quint16 port = 0) { server.listen(QHostAddress::LocalHost, port); }

    quint16 port() const { return server.serverPort(); }

    // Waits for the client's next connection; the bytes recorded are that client's.
    bool accept() {
        if (!server.hasPendingConnections() && !server.waitForNewConnection(5000))
            return false;
        client = server.nextPendingConnection();
        m_bytes.clear();
        ++connections;
        QObject::connect(client, &QTcpSocket::readyRead, client, [this, socket = client] {
            if (socket == client)
                read();
        });
        // What came before the connection was taken up is not announced again.
        read();
        return client != nullptr;
    }

    void send(const QByteArray &bytes) {
        client->write(bytes);
        client->flush();
    }

    // Everything the client has sent so far, once at least `size` bytes arrived.
    QByteArray receivedAtLeast(int size) {
        read();
        (void)QTest::qWaitFor([&] { return m_bytes.size() >= size; }, 5000);
        return m_bytes;
    }

    // Waits until the client has sent `text` `count` times in all.
    bool receivedTimes(const QByteArray &text, int count) {
        return QTest::qWaitFor([&] { return m_bytes.count(text) >= count; }, 5000);
    }

    QTcpServer server;
    QTcpSocket *client = nullptr;
    int connections = 0;

private:
    void read() {
        if (!client)
            return;
        m_bytes += client->readAll();
    }
    QByteArray m_bytes;
};
