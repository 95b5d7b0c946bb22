#pragma once

#include <QObject>
#include <QTimer>

class Alerts;
class BotLogger;
class Chat;
class ChatInput;
class Clock;
class FollowersRelay;
class Goodgame;
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
    const Clock &clock;
};

// The main window's controller: starts and stops the two chats, routes the Twitch socket,
// watches both services for silence, and carries out what the tabs' controls ask.
class MainWindow : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString output READ output NOTIFY outputChanged)
    Q_PROPERTY(bool twitchRunning READ twitchRunning NOTIFY twitchRunningChanged)
    Q_PROPERTY(bool goodgameRunning READ goodgameRunning NOTIFY goodgameRunningChanged)
    Q_PROPERTY(bool bubbles READ bubbles NOTIFY switchesChanged)
    Q_PROPERTY(bool debug READ debug NOTIFY switchesChanged)
    Q_PROPERTY(QString soundDialogTitle READ soundDialogTitle NOTIFY soundDialogRequested)
    Q_PROPERTY(ChatInput *chatInput READ chatInput CONSTANT)
    Q_PROPERTY(ServiceConnection *twitchConnection READ twitchConnection CONSTANT)
    Q_PROPERTY(ServiceConnection *goodgameConnection READ goodgameConnection CONSTANT)
public:
    explicit MainWindow(const MainWindowDeps &deps);

    QString output() const { return m_output; }
    bool twitchRunning() const;
    bool goodgameRunning() const;
    bool bubbles() const { return m_bubbles; }
    bool debug() const;
    QString soundDialogTitle() const { return m_soundDialogTitle; }
    ChatInput *chatInput() const;
    ServiceConnection *twitchConnection() const;
    ServiceConnection *goodgameConnection() const;
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
    Q_INVOKABLE void chatFontSizeMoved(int value);
    Q_INVOKABLE void openSoundFileDialog(const QString &type);
    Q_INVOKABLE void soundFileChosen(const QString &url);
    Q_INVOKABLE void removeSound(const QString &type);
    Q_INVOKABLE void playSound(const QString &type);
    Q_INVOKABLE void fullTest(const QString &type);
    Q_INVOKABLE void voiceChosen(int index);
    // A colour dialog of the View tab was accepted; components 0…1.
    Q_INVOKABLE void colorAccepted(const QString &dialog, qreal red, qreal green, qreal blue);
    Q_INVOKABLE void fontChosen(int index);
    Q_INVOKABLE void sizeChosen(int index);
    Q_INVOKABLE void animationChosen(int index);
    Q_INVOKABLE void bubbleReleased(bool on);
    Q_INVOKABLE void debugReleased(bool on);

signals:
    void outputChanged();
    void twitchRunningChanged();
    void goodgameRunningChanged();
    void switchesChanged();
    // The view opens the file dialog with the new title.
    void soundDialogRequested();

private:
    void setOutput(const QString &text);
    void serviceLine(const QString &text);
    void superviseTwitch();
    void pageCall(const QString &method, const QString &data);
    void twitchConnected();
    void twitchDisconnected();
    void twitchLeft();
    void formChanged();
    void applyFontSize(int value);

    MainWindowDeps m_deps;
    QTimer m_serverTimer;
    QString m_output;
    bool m_bubbles = false;
    QString m_soundDialogTitle;
    QString m_soundDialogType;
    double m_appliedVolume = -1;
    QString m_savedWords;
};
