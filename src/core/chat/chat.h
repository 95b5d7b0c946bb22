#pragma once

#include "model/chatsink.h"
#include "model/messagepart.h"
#include "model/renderedline.h"

#include <QObject>

class AlertQueue;
class BotLogger;
class Page;
class Utils;

// The presenter: renders each of the chats' lines once (choosing every colour, class and
// tooltip, and whether it is addressed to the streamer) and delivers that one line to the
// pages, the logs and the alert queue, and to whoever else shows it.
class Chat : public QObject, public ChatSink {
    Q_OBJECT
public:
    static constexpr bool DEBUG_MODE = false;

    Chat(Page &chatView, Page &alertView, BotLogger &logger, AlertQueue &alerts,
         const Utils &utils);

    // The script that hands a line to a page's line script, framed as an alert or not.
    static QString addMessageCall(const RenderedLine &line, bool alertFrame);
    static QString moderationKey(const Moderation &act);

    // The one rendering of a line; empty HTML when there is nothing to show.
    RenderedLine render(MessageParts parts, RenderedLine::Kind kind);

    // A line of the chat view; a note is Kestro's own line, not a viewer's.
    void showInChat(const MessageParts &message, bool note = false);
    void showInAlerts(const AlertMessage &message);

    void chatLine(const MessageParts &parts) override { showInChat(parts); }
    void serviceLine(const QString &text, bool markup = false) override;
    void alert(const AlertMessage &alert) override { showInAlerts(alert); }
    void moderate(const Moderation &act) override;

signals:
    // Every line of the chat view as it was rendered: for the stream's copy of the chat, for
    // chat speech, and for the alert the overlay shows while it plays.
    void lineShown(const RenderedLine &line);
    void moderated(const QString &key);

private:
    bool markAddressed(MessageParts &parts) const;

    Page &m_chatView;
    Page &m_alertView;
    BotLogger &m_logger;
    AlertQueue &m_alerts;
    const Utils &m_utils;
    qint64 m_lastId = 0;
};
