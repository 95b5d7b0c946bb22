#pragma once

#include "model/messagepart.h"

#include <QStringList>

// One line as the presenter rendered it, once, for every consumer alike: the pages, the
// overlay, the day logs, chat speech and the alert queue each take what they need of it and
// none re-derives it from another's output.
struct RenderedLine {
    enum class Kind {
        Chat,  // a viewer's line
        Note,  // Kestro's own line
        Alert, // a channel event, framed apart in the chat
    };
    qint64 id = 0; // counts up from 1 in the order the lines were rendered
    Kind kind = Kind::Chat;
    MessageParts parts;
    QString html;     // for a page's line script; images by page-relative address
    QString text;     // the day log's words
    QString speech;   // the words to say aloud, without the badges
    QStringList keys; // the message ids and nick classes moderation names the line by
    bool addressed = false;
};
