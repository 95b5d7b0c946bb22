#pragma once

#include <QObject>
#include <QTimer>

#include "window/alertstab.h"
#include "window/viewtab.h"

class Alerts;
class BotLogger;
class Chat;
class ChatInput;
class Clock;
class FollowersRelay;
class Goodgame;
class Overlay;
class Page;
class ServiceConnection;
class Tests;
class Twitch;
class TwitchSocket;
class Utils;

// Everything the main window drives.
struct MainWindowDeps {
    Utils &utils;
    Twitch &twitch;
    TwitchSocket &socket;
    FollowersRelay &followers;
    Goodgame &goodgame;
    Alerts &alerts;
    Tests &tests;
    Chat &chat;
    ChatInput &chatInput;
    BotLogger &logger;
    Page &chatView;
    Overlay &overlay;
    const Clock &clock;
};

// The main window's controller: starts and stops the two chats, routes the Twitch socket,
// watches both services for silence, and carries out what the tabs' controls ask.
class MainWindow : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString output READ output NOTIFY outputChanged)
    Q_PROPERTY(bool twitchRunning READ twitchRunning NOTIFY twitchRunningChanged)
    Q_PROPERTY(bool goodgameRunning READ goodgameRunning NOTIFY goodgameRunningChanged)
    Q_PROPERTY(ChatInput *chatInput READ chatInput CONSTANT)
    Q_PROPERTY(ServiceConnection *twitchConnection READ twitchConnection CONSTANT)
    Q_PROPERTY(ServiceConnection *goodgameConnection READ goodgameConnection CONSTANT)
    Q_PROPERTY(AlertsTab *alertsTab READ alertsTab CONSTANT)
    Q_PROPERTY(ViewTab *viewTab READ viewTab CONSTANT)
public:
    explicit MainWindow(const MainWindowDeps &deps);

    QString output() const { return m_output; }
    bool twitchRunning() const;
    bool goodgameRunning() const;
    ChatInput *chatInput() const;
    ServiceConnection *twitchConnection() const;
    ServiceConnection *goodgameConnection() const;
    AlertsTab *alertsTab() { return &m_alertsTab; }
    ViewTab *viewTab() { return &m_viewTab; }
    const QTimer &serverTimer() const { return m_serverTimer; }

    // The window is complete: settings into the controls, then the timers.
    Q_INVOKABLE void start();
    Q_INVOKABLE void controlChatList();
    Q_INVOKABLE void controlGoodgameChat();
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
    void twitchRunningChanged();
    void goodgameRunningChanged();

private:
    void serviceLine(const QString &text);
    void superviseTwitch();
    void twitchConnected();
    void twitchDisconnected();
    void twitchLeft();
    void formChanged();

    MainWindowDeps m_deps;
    AlertsTab m_alertsTab;
    ViewTab m_viewTab;
    QTimer m_serverTimer;
    QString m_output;
    double m_appliedVolume = -1;
};
