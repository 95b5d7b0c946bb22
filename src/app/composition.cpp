#include "composition.h"

#include <QtQml>

Composition::Composition(BotLogger &logger, BotConfig &config, SpeechFile &speech,
                         Endpoints endpoints)
    : m_logger(logger)
    , m_config(config)
    , m_speech(speech)
    , m_endpoints(std::move(endpoints))
{
}

template <typename Module> void Composition::registerModule(const char *name, Module &module)
{
    qmlRegisterSingletonInstance("Kestro", 1, 0, name, &module);
}

void Composition::registerForQml()
{
}
