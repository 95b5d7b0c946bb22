#include "gstsoundplayer.h"

#include <QUrl>

// A bus message reaches the player in its own thread, tagged with the file it is about.
struct GstSoundPlayer::Mailbox {
    GstSoundPlayer *player;
    quint64 run;
};

GstBusSyncReply GstSoundPlayer::onMessage(GstBus *, GstMessage *message, gpointer data) {
    const auto *mailbox = static_cast<Mailbox *>(data);
    QString error;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        break;
    case GST_MESSAGE_ERROR: {
        GError *cause = nullptr;
        gst_message_parse_error(message, &cause, nullptr);
        error = QString::fromUtf8(cause ? cause->message : "unknown error");
        if (error.isEmpty())
            error = QStringLiteral("unknown error");
        g_clear_error(&cause);
        break;
    }
    default:
        return GST_BUS_DROP;
    }
    GstSoundPlayer *player = mailbox->player;
    QMetaObject::invokeMethod(
        player, [player, run = mailbox->run, error] { player->onEnd(run, error); },
        Qt::QueuedConnection);
    return GST_BUS_DROP;
}

namespace {
// Sound slots hold file URLs, speech files are plain paths.
QString uriOf(const QString &source) {
    const QUrl url =
        source.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(source) : QUrl(source);
    return url.toString(QUrl::FullyEncoded);
}
} // namespace

GstSoundPlayer::GstSoundPlayer(QObject *parent)
    : AlertPlayer(parent) {
    gst_init(nullptr, nullptr);
}

GstSoundPlayer::~GstSoundPlayer() {
    endPipeline();
}

void GstSoundPlayer::setSource(const QString &source) {
    if (m_pipeline) {
        endPipeline();
        report(StoppedState);
    }
    m_source = source;
}

void GstSoundPlayer::setVolume(double volume) {
    m_volume = qBound(0.0, volume, 1.0);
    if (m_pipeline)
        g_object_set(m_pipeline, "volume", m_volume, nullptr);
}

// What plays on a named output moves with it; a change to or from the system's own choice
// applies from the next file.
void GstSoundPlayer::setOutput(const QString &output) {
    if (output == m_output)
        return;
    m_output = output;
    if (m_sink && !output.isEmpty())
        g_object_set(m_sink, "device", output.toUtf8().constData(), nullptr);
}

void GstSoundPlayer::play() {
    if (m_state == PlayingState || m_source.isEmpty())
        return;
    if (!startPipeline()) {
        endPipeline();
        emit error(QStringLiteral("не удалось запустить воспроизведение: ") + m_source);
        return;
    }
    report(PlayingState);
}

void GstSoundPlayer::stop() {
    endPipeline();
    report(StoppedState);
}

// A named output is the sound server's; otherwise playbin chooses as the system does.
GstElement *GstSoundPlayer::outputSink() const {
    if (m_output.isEmpty())
        return nullptr;
    GstElement *sink = gst_element_factory_make("pulsesink", nullptr);
    if (sink)
        g_object_set(sink, "device", m_output.toUtf8().constData(), nullptr);
    return sink;
}

bool GstSoundPlayer::startPipeline() {
    m_pipeline = gst_element_factory_make("playbin", nullptr);
    if (!m_pipeline)
        return false;
    const quint64 run = ++m_run;
    g_object_set(m_pipeline, "uri", uriOf(m_source).toUtf8().constData(), "volume", m_volume,
                 nullptr);
    // The tests' knob of the earlier player still picks the sink.
    const QByteArray forced = qgetenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK");
    GstElement *sink =
        forced.isEmpty() ? outputSink() : gst_element_factory_make(forced.constData(), nullptr);
    if (sink)
        g_object_set(m_pipeline, "audio-sink", sink, nullptr);
    if (forced.isEmpty())
        m_sink = sink;
    GstBus *bus = gst_element_get_bus(m_pipeline);
    auto *mailbox = new Mailbox{this, run};
    gst_bus_set_sync_handler(bus, onMessage, mailbox,
                             [](gpointer data) { delete static_cast<Mailbox *>(data); });
    gst_object_unref(bus);
    return gst_element_set_state(m_pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

// Once the pipeline is down no streaming thread is left to post about it.
void GstSoundPlayer::endPipeline() {
    if (!m_pipeline)
        return;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    gst_object_unref(m_pipeline);
    m_pipeline = nullptr;
    m_sink = nullptr;
    ++m_run;
}

void GstSoundPlayer::onEnd(quint64 run, const QString &failure) {
    if (run != m_run)
        return;
    endPipeline();
    report(StoppedState);
    if (!failure.isEmpty())
        emit error(failure);
}

void GstSoundPlayer::report(int state) {
    if (state == m_state)
        return;
    m_state = state;
    if (state == StoppedState)
        emit stopped();
    emit stateChanged(state);
}
