#include "espeaksynth.h"

#include "oggopus.h"

#include <QHash>
#include <QMutex>
#include <espeak-ng/speak_lib.h>
#include <vector>

namespace {
// eSpeak NG keeps one global state: one synthesis at a time, in short pieces, so a long text
// lets other requests in between its pieces.
QMutex &engineLock() {
    static QMutex lock;
    return lock;
}

constexpr int kPieceLength = 200;

int collect(short *wav, int samples, espeak_EVENT *events) {
    auto *pcm = static_cast<std::vector<qint16> *>(events->user_data);
    if (wav && samples > 0 && pcm)
        pcm->insert(pcm->end(), wav, wav + samples);
    return 0;
}

QByteArray variantOf(const QString &voice) {
    static const QHash<QString, QByteArray> variants{
        {QStringLiteral("jane"), "ru+f1"},  {QStringLiteral("oksana"), "ru+f2"},
        {QStringLiteral("omazh"), "ru+f3"}, {QStringLiteral("alyss"), "ru+f4"},
        {QStringLiteral("ermil"), "ru+m1"}, {QStringLiteral("zahar"), "ru+m3"}};
    return variants.value(voice, "ru");
}

// Pieces of at most kPieceLength characters, cut after a sentence mark or a space.
QStringList piecesOf(const QString &text) {
    QStringList pieces;
    int start = 0;
    while (start < text.size()) {
        int end = std::min<int>(text.size(), start + kPieceLength);
        if (end < text.size()) {
            int cut = end;
            while (cut > start + kPieceLength / 2 &&
                   !QStringLiteral(".!?,;: ").contains(text.at(cut - 1)))
                --cut;
            if (cut > start + kPieceLength / 2)
                end = cut;
        }
        pieces << text.mid(start, end - start);
        start = end;
    }
    return pieces;
}
} // namespace

EspeakSynth::EspeakSynth() {
    QMutexLocker locker(&engineLock());
    m_rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
    if (m_rate > 0)
        espeak_SetSynthCallback(collect);
}

QByteArray EspeakSynth::speak(const QString &text, const QString &voice) {
    if (!ready())
        return {};
    std::vector<qint16> pcm;
    for (const QString &piece : piecesOf(text)) {
        const QByteArray utf8 = piece.toUtf8();
        QMutexLocker locker(&engineLock());
        if (espeak_SetVoiceByName(variantOf(voice).constData()) != EE_OK)
            return {};
        if (espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                         espeakCHARS_UTF8, nullptr, &pcm) != EE_OK)
            return {};
    }
    return encodeOggOpus(pcm, m_rate);
}
