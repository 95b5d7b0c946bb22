#pragma once

#include "services/twitch/eventsub.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

class BotLogger;
class Endpoints;
class Http;

// The display names of a shared chat's partner channels, asked of Helix in batches and kept
// for the run: a line shows the room's id only until its name is known, or without a login.
class PartnerNames : public QObject {
    Q_OBJECT
public:
    // Helix names at most this many users a request.
    static constexpr int kBatch = 100;

    PartnerNames(Http &http, const Endpoints &endpoints, BotLogger &logger);

    // The channel's name, or its id while it is unknown; an unknown id is asked for once.
    QString nameOf(const QString &roomId, const EventSub::Credentials &login);

private:
    void lookUp(const EventSub::Credentials &login);

    Http &m_http;
    const Endpoints &m_endpoints;
    BotLogger &m_logger;
    QHash<QString, QString> m_names;
    QSet<QString> m_asked;
    QStringList m_pending; // asked on the next turn of the event loop, all at once
};
