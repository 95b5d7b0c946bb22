#pragma once

#include "alerts/alerts.h"
#include "alerts/chatspeech.h"
#include "alerts/soundrouting.h"
#include "alerts/speechrelay.h"
#include "chat/chat.h"
#include "chat/chatinput.h"
#include "gstsoundplayer.h"
#include "net/endpoints.h"
#include "net/http.h"
#include "overlay/overlay.h"
#include "pulseoutputs.h"
#include "services/donationalerts/donationalerts.h"
#include "services/goodgame/goodgame.h"
#include "services/serviceregistry.h"
#include "services/twitch/bttv.h"
#include "services/twitch/ffz.h"
#include "services/twitch/followersrelay.h"
#include "services/twitch/seventv.h"
#include "services/twitch/twitch.h"
#include "services/twitch/twitchsocket.h"
#include "services/vkvideo/vkvideo.h"
#include "settings/utils.h"
#include "shell/relaylauncher.h"
#include "shell/speechfile.h"
#include "testevents/tests.h"
#include "webviewpage.h"
#include "window/mainwindow.h"

class BotConfig;
class BotLogger;
class SpeechFile;

// The composition root: builds the module graph once, in start-up order, and offers the view
// the few modules it binds to as singletons of "Kestro 1.0" under their own names.
class Composition {
public:
    Composition(BotLogger &logger, BotConfig &config, SpeechFile &speech, Endpoints endpoints,
                const QString &dataDir);

    void registerForQml();

    // The speech relay on this machine: found, or started beside this program.
    void startRelay();

    // Settings edited moments before the window closed still reach the disk.
    void savePendingSettings() { m_utils.savePending(); }

    // Connects the pages to the window's two web views, found by object name, and keeps
    // the controls' look under the software scene graph.
    void attachViews(QObject &window);
    MainWindow &mainWindow() { return m_mainWindow; }
    Alerts &alerts() { return m_alerts; }
    Overlay &overlay() { return m_overlay; }
    WebViewPage &chatView() { return m_chatView; }
    WebViewPage &alertView() { return m_alertView; }

private:
    void connectOverlay();
    void connectChatSpeech();
    void reportUnknownEndpoints() const;

    BotLogger &m_logger;
    Endpoints m_endpoints;
    WebViewPage m_chatView;
    WebViewPage m_alertView;
    Utils m_utils;
    GstSoundPlayer m_player;
    PulseOutputs m_soundOutputs;
    SoundRouting m_soundRouting;
    SpeechRelay m_speechRelay;
    Alerts m_alerts;
    // Chat speech has its own exchange with the relay and its own files.
    SpeechRelay m_chatSpeechRelay;
    SpeechFile m_chatSpeechFiles;
    ChatSpeech m_chatSpeech;
    Chat m_chat;
    Overlay m_overlay;
    Http m_http;
    TwitchSocket m_twitchSocket;
    BTTV m_bttv;
    FFZ m_ffz;
    SevenTV m_sevenTv;
    FollowersRelay m_followers;
    ChatInput m_chatInput;
    Twitch m_twitch;
    Goodgame m_goodgame;
    DonationAlerts m_donationAlerts;
    VkVideo m_vkVideo;
    ServiceRegistry m_services;
    Tests m_tests;
    MainWindow m_mainWindow;
    std::unique_ptr<RelayLauncher> m_relay;
};
