#include "pulseoutputs.h"

#include <pulse/context.h>
#include <pulse/glib-mainloop.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

// Qt's GUI thread runs GLib's default context, which this main loop is hooked into.
PulseOutputs::PulseOutputs(QObject *parent)
    : SoundOutputs(parent)
    , m_loop(pa_glib_mainloop_new(nullptr)) {
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &PulseOutputs::connectServer);
    connectServer();
}

PulseOutputs::~PulseOutputs() {
    dropServer();
    pa_glib_mainloop_free(m_loop);
}

void PulseOutputs::connectServer() {
    m_context = pa_context_new(pa_glib_mainloop_get_api(m_loop), "Kestro");
    pa_context_set_state_callback(m_context, &PulseOutputs::onState, this);
    pa_context_set_subscribe_callback(
        m_context,
        [](pa_context *context, pa_subscription_event_type_t event, uint32_t index, void *self) {
            onEvent(context, event, index, self);
        },
        this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        lost();
}

void PulseOutputs::dropServer() {
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
    m_listingNow = m_listingAgain = false;
}

void PulseOutputs::onState(pa_context *context, void *self) {
    auto &outputs = *static_cast<PulseOutputs *>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        pa_operation_unref(pa_context_subscribe(
            context,
            pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
            nullptr, nullptr));
        outputs.listSinks();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        // Not inside the context's own callback: it is freed there.
        QMetaObject::invokeMethod(&outputs, &PulseOutputs::lost, Qt::QueuedConnection);
        break;
    default:
        break;
    }
}

// The server went or never answered: nothing is listed, and it is asked again later.
void PulseOutputs::lost() {
    if (!m_context)
        return;
    dropServer();
    const bool moved = m_server != Server::Missing || !m_outputs.isEmpty();
    m_server = Server::Missing;
    m_outputs.clear();
    if (moved)
        emit changed();
    m_retry.start();
}

void PulseOutputs::onEvent(pa_context *, int event, uint32_t, void *self) {
    const int facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SERVER)
        static_cast<PulseOutputs *>(self)->listSinks();
}

// One listing at a time; changes meanwhile make one more.
void PulseOutputs::listSinks() {
    if (std::exchange(m_listingNow, true)) {
        m_listingAgain = true;
        return;
    }
    m_listing.clear();
    pa_operation_unref(pa_context_get_sink_info_list(m_context, &PulseOutputs::onSink, this));
}

void PulseOutputs::onSink(pa_context *context, const pa_sink_info *info, int eol, void *self) {
    auto &outputs = *static_cast<PulseOutputs *>(self);
    if (context != outputs.m_context)
        return;
    if (eol == 0 && info) {
        outputs.m_listing << SoundOutput{QString::fromUtf8(info->name),
                                         QString::fromUtf8(info->description)};
        return;
    }
    outputs.listed();
}

void PulseOutputs::listed() {
    m_listingNow = false;
    if (std::exchange(m_listingAgain, false))
        return listSinks();
    const bool moved = m_server != Server::Running || m_outputs.size() != m_listing.size() ||
                       !std::equal(m_outputs.begin(), m_outputs.end(), m_listing.begin(),
                                   [](const SoundOutput &a, const SoundOutput &b) {
                                       return a.name == b.name && a.description == b.description;
                                   });
    m_server = Server::Running;
    m_outputs = m_listing;
    if (moved)
        emit changed();
}
