#pragma once

#include <QObject>
#include <QString>

// The state of every control whose value goes into the settings. The controls show these
// properties and write them when the user changes them; saveConfig reads them, initServices
// sets them.
class SettingsForm : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString twitchHost MEMBER twitchHost NOTIFY changed)
    Q_PROPERTY(QString twitchPort MEMBER twitchPort NOTIFY changed)
    Q_PROPERTY(QString twitchNick MEMBER twitchNick NOTIFY changed)
    Q_PROPERTY(QString twitchToken MEMBER twitchToken NOTIFY changed)
    Q_PROPERTY(QString twitchChannel MEMBER twitchChannel NOTIFY changed)
    Q_PROPERTY(QString goodgameLogin MEMBER goodgameLogin NOTIFY changed)
    Q_PROPERTY(QString goodgamePassword MEMBER goodgamePassword NOTIFY changed)
    Q_PROPERTY(QString goodgameChannel MEMBER goodgameChannel NOTIFY changed)
    Q_PROPERTY(QString bgChatColor MEMBER bgChatColor NOTIFY changed)
    Q_PROPERTY(QString fgChatColor MEMBER fgChatColor NOTIFY changed)
    Q_PROPERTY(int fontIndex MEMBER fontIndex NOTIFY changed)
    Q_PROPERTY(int sizeIndex MEMBER sizeIndex NOTIFY changed)
    Q_PROPERTY(int chatFontSize MEMBER chatFontSize NOTIFY changed)
    Q_PROPERTY(QString bgHLColor MEMBER bgHLColor NOTIFY changed)
    Q_PROPERTY(QString fgHLColor MEMBER fgHLColor NOTIFY changed)
    Q_PROPERTY(QString hlWords MEMBER hlWords NOTIFY changed)
    Q_PROPERTY(int animationIndex MEMBER animationIndex NOTIFY changed)
    Q_PROPERTY(double alertVolume MEMBER alertVolume NOTIFY changed)
    Q_PROPERTY(QString twitchSubOneSound MEMBER twitchSubOneSound NOTIFY changed)
    Q_PROPERTY(QString twitchSubTwoSound MEMBER twitchSubTwoSound NOTIFY changed)
    Q_PROPERTY(QString twitchSubThreeSound MEMBER twitchSubThreeSound NOTIFY changed)
    Q_PROPERTY(QString twitchSubPrimeSound MEMBER twitchSubPrimeSound NOTIFY changed)
    Q_PROPERTY(QString twitchSubGiftSound MEMBER twitchSubGiftSound NOTIFY changed)
    Q_PROPERTY(QString twitchBitsSound MEMBER twitchBitsSound NOTIFY changed)
    Q_PROPERTY(QString twitchRaidSound MEMBER twitchRaidSound NOTIFY changed)
    Q_PROPERTY(QString twitchHostSound MEMBER twitchHostSound NOTIFY changed)
    Q_PROPERTY(QString twitchFollowSound MEMBER twitchFollowSound NOTIFY changed)
    Q_PROPERTY(QString goodgamePremSound MEMBER goodgamePremSound NOTIFY changed)
    Q_PROPERTY(QString goodgameDonatSound MEMBER goodgameDonatSound NOTIFY changed)
    Q_PROPERTY(int voiceIndex MEMBER voiceIndex NOTIFY changed)
    Q_PROPERTY(QString overlayPort MEMBER overlayPort NOTIFY changed)
    Q_PROPERTY(int overlayDelay MEMBER overlayDelay NOTIFY changed)
    Q_PROPERTY(int overlayLines MEMBER overlayLines NOTIFY changed)
    Q_PROPERTY(int overlayFade MEMBER overlayFade NOTIFY changed)
    Q_PROPERTY(bool overlayLan MEMBER overlayLan NOTIFY changed)
    Q_PROPERTY(QString overlayToken MEMBER overlayToken NOTIFY changed)
public:
    using QObject::QObject;

    // Blank until the settings fill them: their defaults are the settings table's.
    QString twitchHost, twitchPort, twitchNick, twitchToken, twitchChannel;
    QString goodgameLogin, goodgamePassword, goodgameChannel;
    QString bgChatColor, fgChatColor;
    int fontIndex = 0;
    int sizeIndex = 0;
    int chatFontSize = 0;
    QString bgHLColor, fgHLColor;
    QString hlWords;
    int animationIndex = 0;
    double alertVolume = 0;
    QString twitchSubOneSound, twitchSubTwoSound, twitchSubThreeSound, twitchSubPrimeSound;
    QString twitchSubGiftSound, twitchBitsSound, twitchRaidSound, twitchHostSound;
    QString twitchFollowSound, goodgamePremSound, goodgameDonatSound;
    int voiceIndex = 0;
    QString overlayPort;
    int overlayDelay = 0; // seconds a line waits before the stream shows it
    int overlayLines = 0;
    int overlayFade = 0; // seconds a line stays on stream; 0 keeps it
    bool overlayLan = false;
    QString overlayToken;

signals:
    // Any field; C++ emits it once after filling several.
    void changed();
};
