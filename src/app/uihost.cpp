#include "uihost.h"

#include "services/twitch/twitchsocket.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"
#include "shell/speechfile.h"

#include <QQmlContext>
#include <QtQml>

void registerNativeTypes() {
    qmlRegisterType<TwitchSocket>("Kestro.TwitchSocket", 1, 0, "TwitchSocket");
}

void exposeShell(QQmlContext &context, BotLogger &logger, BotConfig &config, SpeechFile &speech) {
    context.setContextProperty(QStringLiteral("logger"), &logger);
    context.setContextProperty(QStringLiteral("config"), &config);
    context.setContextProperty(QStringLiteral("speech"), &speech);
}
