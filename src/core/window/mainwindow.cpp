#include "mainwindow.h"

#include "alerts/alerts.h"
#include "chat/chat.h"
#include "chat/chatinput.h"
#include "connection/serviceconnection.h"
#include "goodgame/goodgame.h"
#include "overlay/overlay.h"
#include "settings/utils.h"
#include "shell/botlogger.h"
#include "twitch/followersrelay.h"
#include "twitch/twitch.h"
#include "twitch/twitchsocket.h"

MainWindow::MainWindow(const MainWindowDeps &deps)
    : m_deps(deps)
    , m_alertsTab(deps.utils, deps.alerts, deps.tests)
    , m_viewTab(deps.utils, deps.alerts, deps.chatView) {
    m_serverTimer.setInterval(ServiceConnection::TICK_MS);
    connect(&m_serverTimer, &QTimer::timeout, this, &MainWindow::watchdog);
    connect(&m_deps.socket, &TwitchSocket::connected, this, &MainWindow::twitchConnected);
    connect(&m_deps.socket, &TwitchSocket::disconnected, this, &MainWindow::twitchDisconnected);
    connect(&m_deps.socket, &TwitchSocket::received, &m_deps.twitch,
            [this](const QString &line) { m_deps.twitch.processMessage(line); });
    connect(&m_deps.socket, &TwitchSocket::logging, &m_deps.logger,
            [this](const QString &text) { m_deps.logger.log(text, QStringLiteral("raw")); });
    connect(&m_deps.twitch, &Twitch::status, this, &MainWindow::setOutput);
    connect(&m_deps.goodgame, &Goodgame::status, this, &MainWindow::setOutput);
    connect(&m_deps.goodgame, &Goodgame::activeChanged, this, &MainWindow::goodgameRunningChanged);
    connect(&m_deps.utils.form(), &SettingsForm::changed, this, &MainWindow::formChanged);
    connect(&m_deps.utils, &Utils::saveFailed, this, &MainWindow::setOutput);
    superviseTwitch();
}

void MainWindow::superviseTwitch() {
    ServiceConnection &link = m_deps.twitch.connection();
    connect(&m_deps.socket, &TwitchSocket::broken, &link, &ServiceConnection::lost);
    connect(&m_deps.twitch, &Twitch::channelJoined, &m_deps.followers, &FollowersRelay::open);
    connect(&link, &ServiceConnection::changed, this, &MainWindow::twitchRunningChanged);
    connect(&link, &ServiceConnection::outageBegan, this, [this] {
        setOutput(QStringLiteral("Twitch: связь потеряна, переподключаемся"));
        serviceLine(QStringLiteral("- Twitch: связь потеряна, переподключаемся"));
    });
    connect(&link, &ServiceConnection::restored, this, [this] {
        serviceLine(QStringLiteral("- Twitch: мы не спим на канале #") +
                    m_deps.twitch.channelName());
    });
}

bool MainWindow::twitchRunning() const {
    return m_deps.twitch.connection().wanted();
}

ServiceConnection *MainWindow::twitchConnection() const {
    return &m_deps.twitch.connection();
}

ServiceConnection *MainWindow::goodgameConnection() const {
    return &m_deps.goodgame.connection();
}

bool MainWindow::goodgameRunning() const {
    return m_deps.goodgame.active();
}

ChatInput *MainWindow::chatInput() const {
    return &m_deps.chatInput;
}

void MainWindow::start() {
    m_deps.utils.loadConfig();
    m_deps.utils.initServices();
    connect(&m_deps.overlay, &Overlay::status, this, &MainWindow::setOutput);
    m_deps.overlay.start();
    m_serverTimer.start();
    m_deps.alerts.start();
}

void MainWindow::setOutput(const QString &text) {
    if (text == m_output)
        return;
    m_output = text;
    emit outputChanged();
}

void MainWindow::serviceLine(const QString &text) {
    m_deps.chat.serviceLine(text);
}

void MainWindow::controlChatList() {
    const SettingsForm &f = m_deps.utils.form();
    if (twitchRunning()) {
        setOutput(QStringLiteral("Twitch: отключаемся от сервера"));
        m_deps.twitch.connection().stop();
        twitchLeft();
        return;
    }
    const QString nick = f.twitchNick.toLower();
    const QString channel = f.twitchChannel.toLower();
    if (f.twitchHost.isEmpty() || f.twitchPort.isEmpty() || nick.isEmpty() ||
        f.twitchToken.isEmpty() || channel.isEmpty()) {
        setOutput(QStringLiteral("Не заполнены поля формы Twitch. Заполните и нажмите кнопку."));
        return;
    }
    setOutput(QStringLiteral("Twitch: соединяемся с сервером"));
    // The link opens from the stored settings, so they are stored first.
    m_deps.utils.saveConfig();
    m_deps.twitch.connection().start();
}

void MainWindow::controlGoodgameChat() {
    const SettingsForm &f = m_deps.utils.form();
    if (goodgameRunning()) {
        setOutput(QStringLiteral("GoodGame: отключаемся от сервера"));
        m_deps.goodgame.disconnectFromGoodgame();
        return;
    }
    if (f.goodgameLogin.isEmpty() || f.goodgamePassword.isEmpty() || f.goodgameChannel.isEmpty()) {
        setOutput(QStringLiteral("Не заполнены поля формы GoodGame. Заполните и нажмите кнопку."));
        return;
    }
    setOutput(QStringLiteral("GoodGame: соединяемся с сервером"));
    m_deps.goodgame.connectToGoodgame(f.goodgameLogin, f.goodgamePassword, f.goodgameChannel);
    m_deps.utils.saveConfig();
}

// A reconnection keeps the channel it had and says so once joined (the supervisor's restored).
void MainWindow::twitchConnected() {
    Twitch &twitch = m_deps.twitch;
    if (twitch.reconnecting())
        return;
    twitch.enterChannel(m_deps.utils.form().twitchChannel);
    serviceLine(QStringLiteral("- Twitch: заходим на канал #") + twitch.channelName());
}

// An unexpected close is a loss to recover from; only the user's stop leaves the channel.
void MainWindow::twitchDisconnected() {
    if (m_deps.twitch.connection().wanted())
        m_deps.twitch.connection().lost();
    else
        setOutput(QStringLiteral("Twitch: отключаемся от сервера"));
}

// Also when stopped during a wait between attempts, when no socket is left to report it.
void MainWindow::twitchLeft() {
    serviceLine(QStringLiteral("- Twitch: уходим с канала #") + m_deps.twitch.channelName());
    m_deps.followers.close();
    m_deps.twitch.leaveChannel();
}

void MainWindow::watchdog() {
    m_deps.twitch.tick();
    m_deps.goodgame.connection().tick();
    m_deps.followers.connection().tick();
}

void MainWindow::initChat() {
    m_deps.utils.initChat(m_deps.chatView);
}

void MainWindow::togglePause() {
    m_deps.alerts.togglePause();
}

void MainWindow::sendMessage() {
    if (m_deps.twitch.sendMessageToChat(m_deps.chatInput.text()))
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
