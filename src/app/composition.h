#pragma once

#include "net/endpoints.h"

class BotConfig;
class BotLogger;
class SpeechFile;

// The composition root: builds the module graph once, in start-up order, and offers each
// module to QML as a singleton of "Kestro 1.0" under its own name.
class Composition {
public:
    Composition(BotLogger &logger, BotConfig &config, SpeechFile &speech, Endpoints endpoints);

    void registerForQml();

    const Endpoints &endpoints() const { return m_endpoints; }

private:
    template <typename Module> static void registerModule(const char *name, Module &module);

    BotLogger &m_logger;
    BotConfig &m_config;
    SpeechFile &m_speech;
    Endpoints m_endpoints;
};
