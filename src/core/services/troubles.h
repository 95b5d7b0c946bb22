#pragma once

#include "net/http.h"

class BotLogger;
class ChatService;

// What goes wrong with a service's link, as the streamer hears of it: in the error log and
// the service's status line; one that repeats with each retry only once, until the link works
// again; a frame left out in the log only.
class Troubles {
public:
    Troubles(ChatService &service, BotLogger &logger)
        : m_service(service)
        , m_logger(logger) {}

    void say(const QString &text);
    void sayOnce(const QString &text);
    // The link works: the next trouble is said again.
    void over() { m_said = false; }
    void dropFrame(const QString &why);
    // A request's refusal in words: a rate limit, or the request and its problem.
    QString refusal(const HttpReply &reply, const char *what) const;

private:
    ChatService &m_service;
    BotLogger &m_logger;
    bool m_said = false;
};
