#include "serviceregistry.h"

#include "services/chatservice.h"

ChatService *ServiceRegistry::find(const QString &id) const {
    for (ChatService *service : m_services) {
        if (service->id() == id)
            return service;
    }
    return nullptr;
}

ServiceLook ServiceRegistry::looks() const {
    ServiceLook all;
    for (const ChatService *service : m_services) {
        const ServiceLook look = service->look();
        all.styleSheets << look.styleSheets;
        all.hosts << look.hosts;
    }
    all.hosts.removeDuplicates();
    return all;
}
