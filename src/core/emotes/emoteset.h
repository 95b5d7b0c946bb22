#pragma once

#include "common/json.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class BotLogger;
class Http;
struct Endpoints;

// Word → emote lookup tables of one outside emote service, filled from its web API.
using EmoteTable = QHash<QString, QString>;

// What both emote services share: their two tables and the means to fill them.
class EmoteService : public QObject {
    Q_OBJECT
public:
    EmoteService(Http &http, BotLogger &logger, const Endpoints &endpoints);

    const EmoteTable &globalEmotes() const { return m_globalEmotes; }
    const EmoteTable &channelEmotes() const { return m_channelEmotes; }

protected:
    // The channel's entry for the word, else the global one; nullptr when it is no emote.
    const QString *findEmote(const QString &word) const;

    Http &m_http;
    BotLogger &m_logger;
    const Endpoints &m_endpoints;
    EmoteTable m_globalEmotes;
    EmoteTable m_channelEmotes;
};

// Fetches one emote set. A status other than 200 is reported as
// "<label>: статус ответа - <status>" on the console, and in the error log when asked;
// a body that is not JSON is dropped with a console line. `apply` sees only parsed JSON.
void fetchEmoteSet(Http &http, BotLogger &logger, const QUrl &url, const QString &label,
                   bool logErrors, std::function<void(const Json &)> apply);
