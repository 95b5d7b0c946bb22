#include "mainwindow.h"

#include "alerts/alerts.h"
#include "chat/chatinput.h"
#include "common/json.h"
#include "overlay/overlay.h"
#include "services/chatservice.h"
#include "services/serviceregistry.h"
#include "settings/utils.h"

MainWindow::MainWindow(const MainWindowDeps &deps)
    : m_deps(deps)
    , m_alertsTab(deps.utils, deps.alerts, deps.tests)
    , m_viewTab(deps.utils, deps.alerts, deps.chatView) {
    m_serverTimer.setInterval(ServiceConnection::TICK_MS);
    connect(&m_serverTimer, &QTimer::timeout, this, &MainWindow::watchdog);
    m_outputPace.setSingleShot(true);
    m_outputPace.setInterval(kOutputPaceMs);
    connect(&m_outputPace, &QTimer::timeout, this, [this] {
        if (!m_outputWaiting)
            return;
        m_outputWaiting = false;
        emit outputChanged();
        m_outputPace.start();
    });
    for (ChatService *service : m_deps.services.all())
        connect(service, &ChatService::status, this, &MainWindow::setOutput);
    connect(&m_deps.utils.form(), &SettingsForm::changed, this, &MainWindow::formChanged);
    connect(&m_deps.utils, &Utils::saveFailed, this, &MainWindow::setOutput);
}

QList<QObject *> MainWindow::services() const {
    QList<QObject *> list;
    for (ChatService *service : m_deps.services.all())
        list << service;
    return list;
}

QString MainWindow::pageLooks() const {
    return looksScript(m_deps.services.looks());
}

QString MainWindow::looksScript(const ServiceLook &look) {
    return QStringLiteral("KestroLine.addServiceStyles(") +
           qstr(jsonStrings(look.styleSheets).dump()) + QStringLiteral(")");
}

ChatInput *MainWindow::chatInput() const {
    return &m_deps.chatInput;
}

void MainWindow::start() {
    m_deps.utils.loadConfig();
    m_deps.utils.initServices();
    for (ChatService *service : m_deps.services.all())
        service->restore();
    connect(&m_deps.overlay, &Overlay::status, this, &MainWindow::setOutput);
    m_deps.overlay.start();
    m_serverTimer.start();
    m_deps.alerts.start();
}

void MainWindow::setOutput(const QString &text) {
    if (text == m_output)
        return;
    m_output = text;
    if (m_outputPace.isActive()) {
        m_outputWaiting = true;
        return;
    }
    emit outputChanged();
    m_outputPace.start();
}

void MainWindow::toggleService(const QString &id) {
    ChatService *service = m_deps.services.find(id);
    if (!service)
        return;
    if (service->running())
        service->stop();
    else
        service->start();
}

void MainWindow::watchdog() {
    for (ChatService *service : m_deps.services.all())
        service->tick();
}

void MainWindow::initChat() {
    m_deps.utils.initChat(m_deps.chatView);
}

void MainWindow::togglePause() {
    m_deps.alerts.togglePause();
}

QVariantList MainWindow::sendTargets() const {
    QVariantList targets;
    for (const ChatService *service : m_deps.services.all()) {
        if (service->writes())
            targets << QVariantMap{{QStringLiteral("id"), service->id()},
                                   {QStringLiteral("title"), service->title()}};
    }
    targets << QVariantMap{{QStringLiteral("id"), kAllChats},
                           {QStringLiteral("title"), tr("Все чаты")}};
    return targets;
}

void MainWindow::setSendTarget(const QString &target) {
    if (target == m_sendTarget)
        return;
    m_sendTarget = target;
    emit sendTargetChanged();
}

// To the chosen chat, or to every running one; a chat that is not running gets nothing.
void MainWindow::sendMessage() {
    const QString text = m_deps.chatInput.text();
    bool sent = false;
    for (ChatService *service : m_deps.services.all()) {
        const bool chosen = m_sendTarget == kAllChats ? service->writes() && service->running()
                                                      : service->id() == m_sendTarget;
        if (!chosen)
            continue;
        if (!service->running()) {
            setOutput(service->title() +
                      QStringLiteral(": чат не запущен, сообщение не отправлено"));
            continue;
        }
        sent = service->send(text) || sent;
    }
    if (sent)
        m_deps.chatInput.setText(QString());
}

// The volume goes to the player whenever it changes; storing it is the settings' own business.
void MainWindow::formChanged() {
    const double volume = m_deps.utils.form().alertVolume;
    if (volume != m_appliedVolume) {
        m_appliedVolume = volume;
        m_deps.alerts.setPlayerVolume(volume);
    }
}
