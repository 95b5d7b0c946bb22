#pragma once

#include <QList>
#include <QString>
#include <initializer_list>

class ChatService;
struct ServiceLook;

// The chat services Kestro runs, in the window's order; the composition root adds each once.
class ServiceRegistry {
public:
    ServiceRegistry(std::initializer_list<ChatService *> services)
        : m_services(services) {}

    const QList<ChatService *> &all() const { return m_services; }
    // The service of that id; none for an unknown id.
    ChatService *find(const QString &id) const;
    // Every service's look, in the window's order: what a page loads for all the lines.
    ServiceLook looks() const;

private:
    QList<ChatService *> m_services;
};
