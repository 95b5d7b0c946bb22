#pragma once

#include "alerts/soundoutputs.h"

#include <QTimer>

struct pa_context;
struct pa_glib_mainloop;
struct pa_sink_info;

// The sound server's sinks (PulseAudio, or PipeWire through its PulseAudio interface), listed
// again whenever one comes, goes or changes. A server that does not answer is asked again every
// few seconds; none is ever started for us.
class PulseOutputs final : public SoundOutputs {
    Q_OBJECT
public:
    static constexpr int kRetryMs = 5000;

    explicit PulseOutputs(QObject *parent = nullptr);
    ~PulseOutputs() override;

    Server server() const override { return m_server; }
    QList<SoundOutput> outputs() const override { return m_outputs; }

private:
    static void onState(pa_context *context, void *self);
    static void onEvent(pa_context *context, int event, uint32_t index, void *self);
    static void onSink(pa_context *context, const pa_sink_info *info, int eol, void *self);

    void connectServer();
    void dropServer();
    void lost();
    void listSinks();
    void listed();

    pa_glib_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    QTimer m_retry;
    Server m_server = Server::Asking;
    QList<SoundOutput> m_outputs;
    QList<SoundOutput> m_listing; // the answer coming in
    bool m_listingAgain = false;  // a change came while the list was on its way
    bool m_listingNow = false;
};
