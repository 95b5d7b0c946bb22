#include "chatservice.h"

#include "settings/soundslots.h"

#include <QVariantMap>

void ChatService::followRunning() {
    connect(&connection(), &ServiceConnection::changed, this, [this] {
        if (connection().wanted() == m_running)
            return;
        m_running = !m_running;
        emit runningChanged();
    });
}

QVariantList ChatService::fieldModel() const {
    QVariantList rows;
    for (const CredentialField &field : fields())
        rows << QVariantMap{{QStringLiteral("property"), QLatin1String(field.property)},
                            {QStringLiteral("label"), QString::fromUtf8(field.label)},
                            {QStringLiteral("secret"), field.secret}};
    return rows;
}

QVariantList ChatService::soundSlotRows() const {
    return soundSlotModel(id());
}
