#pragma once

#include "speechsynth.h"

// Russian speech from eSpeak NG, each voice name a variant of its own.
class EspeakSynth final : public SpeechSynth {
public:
    EspeakSynth();
    bool ready() const { return m_rate > 0; }
    QByteArray speak(const QString &text, const QString &voice) override;

private:
    int m_rate = 0;
};
