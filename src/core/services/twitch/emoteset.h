#pragma once

#include "common/json.h"
#include "net/endpoints.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class BotLogger;
class Http;

// Word → emote lookup tables of one outside emote service, filled from its web API.
using EmoteTable = QHash<QString, QString>;

// Where one service's sets are: its name in the error lines, its API and the two paths.
struct EmoteApi {
    const char *name;
    EndpointKey base;
    const char *globalPath;
    const char *channelPath; // the channel's id follows
};

// What the emote services share: their two tables and the means to fill them.
class EmoteService : public QObject {
    Q_OBJECT
public:
    EmoteService(Http &http, BotLogger &logger, const Endpoints &endpoints, const EmoteApi &api);

    const EmoteTable &globalEmotes() const { return m_globalEmotes; }
    const EmoteTable &channelEmotes() const { return m_channelEmotes; }

    void loadGlobalEmotes();
    virtual void loadChannelEmotes(qint64 channelID);
    // What the loaders do with a parsed answer; also for replaying a recorded one.
    virtual void storeGlobalEmotes(const Json &body) = 0;
    virtual void storeChannelEmotes(const Json &body) = 0;

protected:
    enum class EmoteScope { Global, Channel };
    // Fetches a path of the service's API; `apply` sees only parsed JSON.
    void fetch(const QString &path, EmoteScope scope, std::function<void(const Json &)> apply);

    // The channel's entry for the word, else the global one; nullptr when it is no emote.
    const QString *findEmote(const QString &word) const;

    Http &m_http;
    BotLogger &m_logger;
    const Endpoints &m_endpoints;
    EmoteApi m_api;
    EmoteTable m_globalEmotes;
    EmoteTable m_channelEmotes;
};
