#include "composition.h"

#include <QtQml>

Composition::Composition(BotLogger &logger, BotConfig &config, SpeechFile &speech,
                         Endpoints endpoints)
    : m_endpoints(std::move(endpoints))
    , m_utils(config, logger, m_endpoints)
    , m_chat(m_chatView, m_alertView, logger, m_alerts, m_utils)
{
    Q_UNUSED(speech)
}

namespace {
template <typename Module> void registerModule(const char *name, Module &module)
{
    qmlRegisterSingletonInstance("Kestro", 1, 0, name, &module);
}
} // namespace

void Composition::registerForQml()
{
    registerModule("Utils", m_utils);
    registerModule("Alerts", m_alerts);
    registerModule("Chat", m_chat);
}
