#include "composition.h"

#include "alerts/secrets.h"
#include "common/random.h"
#include "shell/botlogger.h"
#include "softwarelook.h"

#include <QQuickWindow>
#include <QtQml>

Composition::Composition(BotLogger &logger, BotConfig &config, SpeechFile &speech,
                         Endpoints endpoints, const QString &dataDir)
    : m_logger(logger)
    , m_endpoints(std::move(endpoints))
    , m_utils(config, logger)
    , m_soundRouting(m_utils, logger, m_soundOutputs, m_player)
    , m_speechRelay(m_endpoints.url(endpoint::relaySpeech))
    , m_alerts(AlertsDeps{m_utils, logger, speech, m_player, m_soundRouting, m_speechRelay,
                          m_chatView, Secrets::ttsToken(dataDir)})
    , m_chatSpeechRelay(m_endpoints.url(endpoint::relaySpeech))
    , m_chatSpeechFiles(dataDir)
    , m_chatSpeech(ChatSpeechDeps{m_utils, logger, m_chatSpeechFiles, m_player, m_soundRouting,
                                  m_chatSpeechRelay, m_alerts, Clock::system(),
                                  Secrets::ttsToken(dataDir)})
    , m_chat(m_chatView, m_alertView, logger, m_alerts, m_utils)
    , m_overlay(m_utils, Clock::system())
    , m_bttv(m_http, logger, m_endpoints)
    , m_ffz(m_http, logger, m_endpoints)
    , m_sevenTv(m_http, logger, m_endpoints)
    , m_followers(m_endpoints.url(endpoint::relayFollowers), Clock::system(), Random::system())
    , m_twitch(TwitchDeps{m_twitchSocket, m_followers, m_chat, m_utils, logger, m_bttv, m_ffz,
                          m_sevenTv, m_http, m_endpoints, Clock::system(), Random::system()})
    , m_goodgame(ServiceDeps{m_chat, m_utils, logger, m_http, m_endpoints, Clock::system(),
                             Random::system()})
    , m_donationAlerts(ServiceDeps{m_chat, m_utils, logger, m_http, m_endpoints, Clock::system(),
                                   Random::system()})
    , m_vkVideo(ServiceDeps{m_chat, m_utils, logger, m_http, m_endpoints, Clock::system(),
                            Random::system()})
    , m_services{&m_twitch, &m_goodgame, &m_vkVideo, &m_donationAlerts}
    , m_tests(m_services, Random::system())
    , m_mainWindow(MainWindowDeps{m_utils, m_services, m_alerts, m_tests, m_chatInput, m_chatView,
                                  m_overlay}) {
    connectOverlay();
    connectChatSpeech();
    QObject::connect(&m_soundRouting, &SoundRouting::status, &m_mainWindow, &MainWindow::setOutput);
    reportUnknownEndpoints();
}

void Composition::connectChatSpeech() {
    QObject::connect(&m_chat, &Chat::lineShown, &m_chatSpeech, &ChatSpeech::offer);
    QObject::connect(&m_chat, &Chat::moderated, &m_chatSpeech, &ChatSpeech::moderated);
}

// Once every module is built: an override of endpoints.json that none reads is a typo.
void Composition::reportUnknownEndpoints() const {
    QList<EndpointKey> known{endpoint::relaySpeech};
    for (const ChatService *service : m_services.all())
        known += service->endpointKeys();
    m_endpoints.reportUnknown(known);
}

// The stream's copy of the chat and of the alert playing now.
void Composition::connectOverlay() {
    m_overlay.setLook(m_services.looks());
    QObject::connect(&m_chat, &Chat::lineShown, &m_overlay, &Overlay::chatLine);
    QObject::connect(&m_chat, &Chat::moderated, &m_overlay, &Overlay::moderate);
    QObject::connect(&m_alerts, &Alerts::playing, &m_overlay, &Overlay::alertStarted);
    QObject::connect(&m_alerts, &Alerts::played, &m_overlay, &Overlay::alertEnded);
}

void Composition::startRelay() {
    const auto options = RelayLauncher::besideProgram(m_endpoints.url(endpoint::relaySpeech),
                                                      m_endpoints.url(endpoint::relayFollowers),
                                                      QCoreApplication::applicationDirPath());
    if (!options)
        return;
    m_relay = std::make_unique<RelayLauncher>(*options);
    QObject::connect(m_relay.get(), &RelayLauncher::status, &m_mainWindow, &MainWindow::setOutput);
    QObject::connect(m_relay.get(), &RelayLauncher::failure, &m_logger,
                     [this](const QString &text) { m_logger.log(text, QStringLiteral("error")); });
    m_relay->start();
}

void Composition::attachViews(QObject &window) {
    if (auto *quickWindow = qobject_cast<QQuickWindow *>(&window))
        SoftwareLook::applyTo(*quickWindow);
    m_chatView.attach(window.findChild<QObject *>(QStringLiteral("chatView")));
    m_alertView.attach(window.findChild<QObject *>(QStringLiteral("alertView")));
}

namespace {
template <typename Module> void registerModule(const char *name, Module &module) {
    qmlRegisterSingletonInstance("Kestro", 1, 0, name, &module);
}
} // namespace

void Composition::registerForQml() {
    qmlRegisterAnonymousType<SettingsForm>("Kestro", 1);
    qmlRegisterAnonymousType<ChatInput>("Kestro", 1);
    qmlRegisterAnonymousType<ServiceConnection>("Kestro", 1);
    qmlRegisterAnonymousType<ChatService>("Kestro", 1);
    qmlRegisterAnonymousType<AlertsTab>("Kestro", 1);
    qmlRegisterAnonymousType<ViewTab>("Kestro", 1);
    qmlRegisterAnonymousType<QueueRows>("Kestro", 1);
    registerModule("Utils", m_utils);
    registerModule("Alerts", m_alerts);
    registerModule("ChatSpeech", m_chatSpeech);
    registerModule("SoundRouting", m_soundRouting);
    registerModule("MainWindow", m_mainWindow);
    registerModule("StreamOverlay", m_overlay);
}
