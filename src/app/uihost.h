#pragma once

class BotConfig;
class BotLogger;
class QQmlContext;
class SpeechFile;

// What the native side offers the QML documents: the creatable TwitchSocket type and
// the three shell objects as context properties.
void registerNativeTypes();
void exposeShell(QQmlContext &context, BotLogger &logger, BotConfig &config, SpeechFile &speech);
