#pragma once

#include "alerts/alerts.h"
#include "chat/chat.h"
#include "chat/chatinput.h"
#include "emotes/bttv.h"
#include "emotes/ffz.h"
#include "fakes/manualclock.h"
#include "fakes/recordingpage.h"
#include "fakes/tempdatadir.h"
#include "net/endpoints.h"
#include "net/http.h"
#include "settings/utils.h"
#include "shell/botconfig.h"
#include "shell/botlogger.h"
#include "twitch/followersrelay.h"
#include "twitch/twitch.h"
#include "twitch/twitchsocket.h"

#include <QUrl>

// The Twitch module with real collaborators, recording pages and services on loopback only.
struct TwitchRig {
    static Endpoints loopback(const QUrl &http) {
        Endpoints endpoints;
        endpoints.twitchBadgeApi = http;
        endpoints.bttvApi = http;
        endpoints.ffzApi = http;
        endpoints.relayFollowers = QUrl(QStringLiteral("ws://127.0.0.1:9/follows"));
        return endpoints;
    }

    explicit TwitchRig(
        const QUrl &http = QUrl(QStringLiteral("http://127.0.0.1:9")),
        const QString &settings = QStringLiteral("{\"alerts\":{\"voice\":\"random\"}}"))
        : endpoints(loopback(http)) {
        config.set(settings);
        utils.loadConfig();
        twitch.channelName = QStringLiteral("chan");
    }

    // The HTML of every line the chat view was given, decoded as the page decodes it.
    QStringList chatHtml() const {
        QStringList result;
        const QString prefix =
            QStringLiteral("('undefined' !== typeof Kestro) && Kestro.addMessage('");
        for (const QString &script : chatView.scripts) {
            if (!script.startsWith(prefix))
                continue;
            QString encoded = script.mid(prefix.size());
            encoded.chop(3);
            encoded.replace(QStringLiteral("#apostrophe#"), QStringLiteral("'"));
            result << QUrl::fromPercentEncoding(encoded.toUtf8());
        }
        return result;
    }

    // The chat view's other calls (strike, remove).
    QStringList chatCalls() const {
        QStringList result;
        for (const QString &script : chatView.scripts) {
            if (!script.contains(QStringLiteral("Kestro.addMessage(")))
                result << script.section(QStringLiteral("Kestro."), 1);
        }
        return result;
    }

    QStringList log(const char *channel) const {
        QStringList lines;
        const QByteArray bytes =
            dir.read(QStringLiteral("logs/2024/2024-05/2024-05-01/2024-05-01.") +
                     QLatin1String(channel) + QStringLiteral(".log"));
        for (const QString &line :
             QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            lines << line.mid(22);
        return lines;
    }

    TempDataDir dir;
    ManualClock clock{QDateTime(QDate(2024, 5, 1), QTime(12, 0))};
    BotLogger logger{dir.path(), clock};
    BotConfig config{dir.path()};
    Endpoints endpoints;
    Utils utils{config, logger, endpoints};
    Alerts alerts;
    RecordingPage chatView;
    RecordingPage alertView;
    Chat chat{chatView, alertView, logger, alerts, utils};
    Http http;
    TwitchSocket socket;
    BTTV bttv{http, logger, endpoints};
    FFZ ffz{http, logger, endpoints};
    FollowersRelay followers{endpoints.relayFollowers};
    ChatInput chatInput;
    Twitch twitch{TwitchDeps{socket, chat, chatView, utils, logger, bttv, ffz, followers, chatInput,
                             http, endpoints, clock}};
};
