#pragma once

#include "alerts/alertplayer.h"

#include <gst/gst.h>

// The alert player on a GStreamer playbin of its own per file, so that it can play on the
// output it is given and move what plays when that output goes or comes back. Every stop,
// including one caused by an error, is reported once, as stopped() and then stateChanged().
class GstSoundPlayer final : public AlertPlayer {
    Q_OBJECT
public:
    explicit GstSoundPlayer(QObject *parent = nullptr);
    ~GstSoundPlayer() override;

    QString source() const override { return m_source; }
    void setSource(const QString &source) override;
    double volume() const override { return m_volume; }
    void setVolume(double volume) override;
    int state() const override { return m_state; }
    void setOutput(const QString &output) override;
    void play() override;
    void stop() override;

private:
    struct Mailbox;
    static GstBusSyncReply onMessage(GstBus *bus, GstMessage *message, gpointer data);

    GstElement *outputSink() const;
    bool startPipeline();
    void endPipeline();
    void onEnd(quint64 run, const QString &failure);
    void report(int state);

    GstElement *m_pipeline = nullptr;
    GstElement *m_sink = nullptr; // set while a file plays on a named output
    quint64 m_run = 0;            // the messages of an ended file are not this one's
    QString m_source;
    QString m_output;
    double m_volume = 1.0;
    int m_state = StoppedState;
};
