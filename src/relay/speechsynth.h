#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text to Ogg Opus audio. Called from worker threads at once.
class SpeechSynth {
public:
    virtual ~SpeechSynth() = default;
    // The voice names clients may ask for.
    static const QStringList &voices() {
        static const QStringList names{QStringLiteral("jane"),  QStringLiteral("oksana"),
                                       QStringLiteral("omazh"), QStringLiteral("alyss"),
                                       QStringLiteral("ermil"), QStringLiteral("zahar")};
        return names;
    }
    // The complete audio, or empty when synthesis failed.
    virtual QByteArray speak(const QString &text, const QString &voice) = 0;
};
