#include "serviceregistry.h"

#include "services/chatservice.h"

ChatService *ServiceRegistry::find(const QString &id) const {
    for (ChatService *service : m_services) {
        if (service->id() == id)
            return service;
    }
    return nullptr;
}
