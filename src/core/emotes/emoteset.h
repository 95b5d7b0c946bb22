#pragma once

#include "common/json.h"

#include <QHash>
#include <QString>
#include <QUrl>
#include <functional>

class BotLogger;
class Http;

// Word → emote lookup tables of one outside emote service, filled from its web API.
using EmoteTable = QHash<QString, QString>;

// The channel's entry for the word, else the global one; nullptr when the word is no emote.
const QString *findEmote(const EmoteTable &channel, const EmoteTable &global, const QString &word);

// Fetches one emote set. A status other than 200 is reported as
// "<label>: статус ответа - <status>" on the console, and in the error log when asked;
// a body that is not JSON is dropped with a console line. `apply` sees only parsed JSON.
void fetchEmoteSet(Http &http, BotLogger &logger, const QUrl &url, const QString &label,
                   bool logErrors, std::function<void(const Json &)> apply);
