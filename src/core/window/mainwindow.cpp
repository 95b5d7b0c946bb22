#include "mainwindow.h"

#include "alerts/alerts.h"
#include "alerts/tests.h"
#include "chat/chat.h"
#include "chat/chatinput.h"
#include "chat/page.h"
#include "common/clock.h"
#include "common/js.h"
#include "common/json.h"
#include "connection/serviceconnection.h"
#include "goodgame/goodgame.h"
#include "settings/lists.h"
#include "settings/soundslots.h"
#include "settings/utils.h"
#include "shell/botlogger.h"
#include "twitch/followersrelay.h"
#include "twitch/twitch.h"
#include "twitch/twitchsocket.h"

namespace {
// A colour dialog of the View tab, its field and the page call that shows it.
struct ColorDialog {
    const char *name;
    QString SettingsForm::*field;
    const char *method; // none: the addressed colours go in as the custom style
};

const ColorDialog kColorDialogs[] = {
    {"bgChatColor", &SettingsForm::bgChatColor, "setBGColor"},
    {"fgChatColor", &SettingsForm::fgChatColor, "setColor"},
    {"bgHLColor", &SettingsForm::bgHLColor, nullptr},
    {"fgHLColor", &SettingsForm::fgHLColor, nullptr},
};

const ListEntry *entryAt(const ListModel &list, int index) {
    return index >= 0 && index < list.size() ? &list.at(index) : nullptr;
}
} // namespace

MainWindow::MainWindow(const MainWindowDeps &deps)
    : m_deps(deps) {
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
    connect(&link, &ServiceConnection::changed, this, &MainWindow::twitchRunningChanged);
    connect(&link, &ServiceConnection::outageBegan, this, [this] {
        setOutput(QStringLiteral("Twitch: связь потеряна, переподключаемся"));
        serviceLine(QStringLiteral("- Twitch: связь потеряна, переподключаемся"));
    });
    connect(&link, &ServiceConnection::restored, this, [this] {
        serviceLine(QStringLiteral("- Twitch: мы не спим на канале #") + m_deps.twitch.channelName);
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

bool MainWindow::debug() const {
    return m_deps.alerts.alertsInDebugMode;
}

ChatInput *MainWindow::chatInput() const {
    return &m_deps.chatInput;
}

void MainWindow::start() {
    m_deps.utils.loadConfig();
    m_deps.utils.initServices();
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
    m_deps.chat.showInChat(
        {MessagePart::textPart(text, QStringLiteral("#888"), QStringLiteral("italic"))});
}

void MainWindow::pageCall(const QString &method, const QString &data) {
    Utils::runInWeb(m_deps.chatView, method, data);
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
    if (twitch.reconnecting)
        return;
    twitch.enterChannel(m_deps.utils.form().twitchChannel);
    serviceLine(QStringLiteral("- Twitch: заходим на канал #") + twitch.channelName);
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
    serviceLine(QStringLiteral("- Twitch: уходим с канала #") + m_deps.twitch.channelName);
    m_deps.followers.close();
    m_deps.twitch.leaveChannel();
}

void MainWindow::watchdog() {
    m_deps.twitch.connection().tick();
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
    m_deps.twitch.sendMessageToChat();
}

// The volume goes to the player whenever it changes; it is stored, like the words, only once
// the controls hold the settings, so a half-filled form never reaches the file.
void MainWindow::formChanged() {
    const SettingsForm &f = m_deps.utils.form();
    const bool volumeMoved = f.alertVolume != m_appliedVolume;
    if (volumeMoved) {
        m_appliedVolume = f.alertVolume;
        m_deps.alerts.setPlayerVolume(f.alertVolume);
    }
    const bool wordsEdited = f.hlWords != m_savedWords;
    m_savedWords = f.hlWords;
    if ((volumeMoved || wordsEdited) && m_deps.utils.LOADED().services)
        m_deps.utils.saveConfig();
}

void MainWindow::applyFontSize(int value) {
    pageCall(QStringLiteral("setFontSize"), jsQuote(QString::number(value)));
    m_deps.utils.saveConfig();
}

void MainWindow::chatFontSizeMoved(int value) {
    SettingsForm &f = m_deps.utils.form();
    f.chatFontSize = value;
    f.sizeIndex = findSizeIndex(Json(value));
    emit f.changed();
    applyFontSize(value);
}

void MainWindow::sizeChosen(int index) {
    SettingsForm &f = m_deps.utils.form();
    f.sizeIndex = index;
    const ListEntry *entry = entryAt(sizeList(), index);
    const bool differs = entry && entry->value && *entry->value != f.chatFontSize;
    if (differs)
        f.chatFontSize = *entry->value;
    emit f.changed();
    if (differs)
        applyFontSize(f.chatFontSize);
}

void MainWindow::openSoundFileDialog(const QString &type) {
    if (const SoundSlot *slot = soundSlot(type)) {
        m_soundDialogType = type;
        m_soundDialogTitle = QString::fromUtf8(slot->dialogTitle);
    }
    emit soundDialogRequested();
}

void MainWindow::soundFileChosen(const QString &url) {
    const SoundSlot *slot = soundSlot(m_soundDialogType);
    if (!slot)
        return;
    SettingsForm &f = m_deps.utils.form();
    f.*slot->field = url;
    emit f.changed();
    m_deps.utils.saveConfig();
}

void MainWindow::removeSound(const QString &type) {
    const SoundSlot *slot = soundSlot(type);
    if (!slot)
        return;
    SettingsForm &f = m_deps.utils.form();
    (f.*slot->field).clear();
    emit f.changed();
    m_deps.utils.saveConfig();
}

void MainWindow::playSound(const QString &type) {
    m_deps.alerts.playSound(type);
}

void MainWindow::fullTest(const QString &type) {
    m_deps.tests.testSound(type);
}

void MainWindow::voiceChosen(int index) {
    SettingsForm &f = m_deps.utils.form();
    f.voiceIndex = index;
    emit f.changed();
    const ListEntry *entry = entryAt(voiceList(), index);
    if (entry && entry->name)
        m_deps.utils.saveConfig();
}

void MainWindow::colorAccepted(const QString &dialog, qreal red, qreal green, qreal blue) {
    for (const ColorDialog &d : kColorDialogs) {
        if (dialog != QLatin1String(d.name))
            continue;
        SettingsForm &f = m_deps.utils.form();
        f.*d.field = Utils::convertToCSS(Rgb{red, green, blue});
        emit f.changed();
        m_deps.utils.saveConfig();
        if (d.method)
            pageCall(QLatin1String(d.method), jsQuote(f.*d.field));
        else
            pageCall(QStringLiteral("setCustomCSS"), jsQuote(m_deps.utils.buildCustomCSS()));
        return;
    }
}

void MainWindow::fontChosen(int index) {
    SettingsForm &f = m_deps.utils.form();
    f.fontIndex = index;
    emit f.changed();
    const ListEntry *entry = entryAt(fontList(), index);
    if (!entry || !entry->type)
        return;
    m_deps.utils.saveConfig();
    const Json font{{"name", stdstr(entry->text)}, {"type", stdstr(*entry->type)}};
    pageCall(QStringLiteral("setFontFamily"), qstr(font.dump()));
}

void MainWindow::animationChosen(int index) {
    SettingsForm &f = m_deps.utils.form();
    f.animationIndex = index;
    emit f.changed();
    const ListEntry *entry = entryAt(animationList(), index);
    m_deps.utils.saveConfig();
    pageCall(QStringLiteral("setAnimation"),
             jsQuote(entry && entry->name ? *entry->name : QString()));
}

void MainWindow::bubbleReleased(bool on) {
    m_bubbles = on;
    emit switchesChanged();
    pageCall(QStringLiteral("toggleBubbles"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

void MainWindow::debugReleased(bool on) {
    m_deps.alerts.alertsInDebugMode = on;
    emit switchesChanged();
}
