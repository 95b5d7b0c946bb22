#include "oggopus.h"

#include <opus/opusenc.h>

namespace {
int append(void *bytes, const unsigned char *data, opus_int32 length) {
    static_cast<QByteArray *>(bytes)->append(reinterpret_cast<const char *>(data), length);
    return 0;
}

int finish(void *) {
    return 0;
}
} // namespace

QByteArray encodeOggOpus(const std::vector<qint16> &pcm, int rate) {
    QByteArray bytes;
    OpusEncCallbacks callbacks{append, finish};
    OggOpusComments *comments = ope_comments_create();
    int error = OPE_OK;
    OggOpusEnc *encoder =
        comments ? ope_encoder_create_callbacks(&callbacks, &bytes, comments, rate, 1, 0, &error)
                 : nullptr;
    bool ok = encoder != nullptr && error == OPE_OK;
    if (ok && !pcm.empty())
        ok = ope_encoder_write(encoder, pcm.data(), int(pcm.size())) == OPE_OK;
    if (ok)
        ok = ope_encoder_drain(encoder) == OPE_OK;
    if (encoder)
        ope_encoder_destroy(encoder);
    if (comments)
        ope_comments_destroy(comments);
    return ok ? bytes : QByteArray();
}
