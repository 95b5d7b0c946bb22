#include "chatservice.h"

void ChatService::followRunning() {
    connect(&connection(), &ServiceConnection::changed, this, [this] {
        if (connection().wanted() == m_running)
            return;
        m_running = !m_running;
        emit runningChanged();
    });
}
