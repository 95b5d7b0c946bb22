#pragma once

#include "model/messagepart.h"

// A moderator's act on lines already shown.
struct Moderation {
    enum class Act {
        StrikeMessage, // one message, by its id
        StrikeUser,    // every line of a user, by the login
        RemoveUser,
    };
    Act act;
    QString service; // the id of the service the lines came from
    QString target;
};

// Where a chat protocol delivers what happened. The protocol knows nothing of the view: the
// presenter renders the events, tests record them.
class ChatSink {
public:
    virtual ~ChatSink() = default;
    virtual void chatLine(const MessageParts &parts) = 0;
    // Kestro's own note in the chat; with markup its entities render (any outside text in it
    // escaped already).
    virtual void serviceLine(const QString &text, bool markup = false) = 0;
    virtual void alert(const AlertMessage &alert) = 0;
    virtual void moderate(const Moderation &act) = 0;
};
