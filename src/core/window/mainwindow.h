#pragma once

#include <QObject>
#include <QTimer>

#include "window/alertstab.h"
#include "window/viewtab.h"

class Alerts;
class ChatInput;
class ChatService;
class Overlay;
class Page;
class ServiceRegistry;
struct ServiceLook;
class Tests;
class Utils;

// Everything the main window drives.
struct MainWindowDeps {
    Utils &utils;
    const ServiceRegistry &services;
    Alerts &alerts;
    Tests &tests;
    ChatInput &chatInput;
    Page &chatView;
    Overlay &overlay;
};

// The main window's controller: forwards each service's button by its id, shows their status
// line, ticks their supervisors, and carries out what the tabs' controls ask.
class MainWindow : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString output READ output NOTIFY outputChanged)
    Q_PROPERTY(ChatInput *chatInput READ chatInput CONSTANT)
    Q_PROPERTY(QList<QObject *> services READ services CONSTANT)
    Q_PROPERTY(AlertsTab *alertsTab READ alertsTab CONSTANT)
    Q_PROPERTY(ViewTab *viewTab READ viewTab CONSTANT)
    // The script the window's pages run once loaded: the services' looks linked.
    Q_PROPERTY(QString pageLooks READ pageLooks CONSTANT)
    // The chats the chat line may write to, and all of them at once, as {id, title} rows.
    Q_PROPERTY(QVariantList sendTargets READ sendTargets CONSTANT)
    Q_PROPERTY(QString sendTarget READ sendTarget WRITE setSendTarget NOTIFY sendTargetChanged)
public:
    // The chat the chat line writes to at first, and the choice of every running one.
    inline static const QString kSendingService = QStringLiteral("twitch");
    inline static const QString kAllChats = QStringLiteral("all");

    // The status line changes in the view at most this often; the property is always the newest.
    static constexpr int kOutputPaceMs = 250;

    explicit MainWindow(const MainWindowDeps &deps);

    QString output() const { return m_output; }
    ChatInput *chatInput() const;
    // Every service in the registry's order, for the Services and Alerts tabs (a property: the
    // view never owns them).
    QList<QObject *> services() const;
    AlertsTab *alertsTab() { return &m_alertsTab; }
    ViewTab *viewTab() { return &m_viewTab; }
    QString pageLooks() const;
    QVariantList sendTargets() const;
    QString sendTarget() const { return m_sendTarget; }
    void setSendTarget(const QString &target);
    static QString looksScript(const ServiceLook &look);
    const QTimer &serverTimer() const { return m_serverTimer; }

    // The window is complete: settings into the controls, then the timers.
    Q_INVOKABLE void start();
    // A service's start button: starts it, or stops it while it runs.
    Q_INVOKABLE void toggleService(const QString &id);
    // The Chat tab was shown.
    Q_INVOKABLE void initChat();
    // One tick of the server timer: every link's supervisor looks at its link.
    void watchdog();
    Q_INVOKABLE void togglePause();

    Q_INVOKABLE void sendMessage();
    // The Services tab status line.
    void setOutput(const QString &text);

signals:
    void outputChanged();
    void sendTargetChanged();

private:
    void formChanged();

    MainWindowDeps m_deps;
    AlertsTab m_alertsTab;
    ViewTab m_viewTab;
    QTimer m_serverTimer;
    QString m_output;
    QString m_sendTarget = kSendingService;
    // Twitch writes every line it hears to the status line: the view learns of it a few times a
    // second, or a busy chat would lay out and redraw the window per line.
    QTimer m_outputPace;
    bool m_outputWaiting = false;
    double m_appliedVolume = -1;
};
