#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

// The state of every control whose value goes into the settings. The controls show these
// properties and write them when the user changes them; saveConfig reads them, initServices
// sets them.
class SettingsForm : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantMap fields MEMBER fields NOTIFY changed)
    Q_PROPERTY(QVariantMap sounds MEMBER sounds NOTIFY changed)
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
    Q_PROPERTY(int voiceIndex MEMBER voiceIndex NOTIFY changed)
    Q_PROPERTY(QString alertOutput MEMBER alertOutput NOTIFY changed)
    Q_PROPERTY(QString overlayPort MEMBER overlayPort NOTIFY changed)
    Q_PROPERTY(int overlayDelay MEMBER overlayDelay NOTIFY changed)
    Q_PROPERTY(int overlayLines MEMBER overlayLines NOTIFY changed)
    Q_PROPERTY(int overlayFade MEMBER overlayFade NOTIFY changed)
    Q_PROPERTY(bool overlayLan MEMBER overlayLan NOTIFY changed)
    Q_PROPERTY(QString overlayToken MEMBER overlayToken NOTIFY changed)
    Q_PROPERTY(bool overlayNotes MEMBER overlayNotes NOTIFY changed)
    Q_PROPERTY(bool chatSpeechEnabled MEMBER chatSpeechEnabled NOTIFY changed)
    Q_PROPERTY(QString chatSpeechWho MEMBER chatSpeechWho NOTIFY changed)
    Q_PROPERTY(bool chatSpeechNick MEMBER chatSpeechNick NOTIFY changed)
    Q_PROPERTY(bool chatSpeechCommands MEMBER chatSpeechCommands NOTIFY changed)
    Q_PROPERTY(QString chatSpeechIgnored MEMBER chatSpeechIgnored NOTIFY changed)
    Q_PROPERTY(int chatSpeechLength MEMBER chatSpeechLength NOTIFY changed)
    Q_PROPERTY(int chatSpeechQueue MEMBER chatSpeechQueue NOTIFY changed)
    Q_PROPERTY(int chatSpeechVoiceIndex MEMBER chatSpeechVoiceIndex NOTIFY changed)
    Q_PROPERTY(double chatSpeechVolume MEMBER chatSpeechVolume NOTIFY changed)
    Q_PROPERTY(QString chatSpeechOutput MEMBER chatSpeechOutput NOTIFY changed)
public:
    using QObject::QObject;

    // Blank until the settings fill them: their defaults are the settings table's.
    QVariantMap fields; // the services' typed fields, by their names ("twitchChannel")
    QVariantMap sounds; // the sound slots' files, by the slots' names ("sub1")
    QString bgChatColor, fgChatColor;
    int fontIndex = 0;
    int sizeIndex = 0;
    int chatFontSize = 0;
    QString bgHLColor, fgHLColor;
    QString hlWords;
    int animationIndex = 0;
    double alertVolume = 0;
    int voiceIndex = 0;
    QString alertOutput; // empty: as the system chooses
    QString overlayPort;
    int overlayDelay = 0; // seconds a line waits before the stream shows it
    int overlayLines = 0;
    int overlayFade = 0; // seconds a line stays on stream; 0 keeps it
    bool overlayLan = false;
    QString overlayToken;
    bool overlayNotes = false; // Kestro's own lines on the stream too
    // Chat read aloud.
    bool chatSpeechEnabled = false;
    QString chatSpeechWho;
    bool chatSpeechNick = false;
    bool chatSpeechCommands = false;
    QString chatSpeechIgnored;
    int chatSpeechLength = 0;
    int chatSpeechQueue = 0;
    int chatSpeechVoiceIndex = 0;
    double chatSpeechVolume = 0;
    QString chatSpeechOutput;

    QString field(const QString &name) const { return fields.value(name).toString(); }
    Q_INVOKABLE void setField(const QString &name, const QString &value) {
        fields.insert(name, value);
        emit changed();
    }
    Q_INVOKABLE void setSwitch(const QString &name, bool on) {
        fields.insert(name, on);
        emit changed();
    }

signals:
    // Any field; C++ emits it once after filling several.
    void changed();
};
