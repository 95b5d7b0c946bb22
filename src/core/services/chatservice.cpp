#include "chatservice.h"

#include "settings/utils.h"

#include <QVariantMap>

ChatService::ChatService(Utils &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings) {}

void ChatService::start() {
    if (running())
        return;
    for (const CredentialField &field : fields()) {
        if (required(field) && m_settings.form().field(QLatin1String(field.name)).isEmpty()) {
            emit status(QStringLiteral("Не заполнены поля формы ") + title() +
                        QStringLiteral(". Заполните и нажмите кнопку."));
            return;
        }
    }
    emit status(title() + QStringLiteral(": соединяемся с сервером"));
    m_settings.saveConfig();
    open();
}

void ChatService::declareSettings(const std::vector<SettingRow> &kept) {
    std::vector<SettingRow> rows;
    for (const CredentialField &field : fields())
        rows.push_back({field.path, "fields", SettingKind::Text, stdstr(field.fallback),
                        QLatin1String(field.name)});
    for (const ServiceSwitch &choice : switches())
        rows.push_back({choice.path, "fields", SettingKind::Switch, choice.fallback,
                        QLatin1String(choice.name)});
    rows.insert(rows.end(), kept.begin(), kept.end());
    m_settings.addService(rows, soundSlots());
}

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
        rows << QVariantMap{{QStringLiteral("name"), QLatin1String(field.name)},
                            {QStringLiteral("label"), QString::fromUtf8(field.label)},
                            {QStringLiteral("secret"), field.secret},
                            {QStringLiteral("heading"), QString::fromUtf8(field.heading)}};
    return rows;
}

QVariantList ChatService::switchModel() const {
    QVariantList rows;
    for (const ServiceSwitch &choice : switches())
        rows << QVariantMap{{QStringLiteral("name"), QLatin1String(choice.name)},
                            {QStringLiteral("label"), QString::fromUtf8(choice.label)}};
    return rows;
}

QVariantList ChatService::soundSlotRows() const {
    return soundSlotModel(soundSlots());
}
