#pragma once

#include "model/chatsink.h"
#include "model/messagepart.h"

#include <QObject>

class AlertQueue;
class BotLogger;
class Page;
class Utils;

// The presenter: renders the chats' events to HTML and plain text (choosing every colour,
// class and tooltip) and delivers them to the pages, the logs and the alert queue.
class Chat : public QObject, public ChatSink {
    Q_OBJECT
public:
    static constexpr bool DEBUG_MODE = false;

    Chat(Page &chatView, Page &alertView, BotLogger &logger, AlertQueue &alerts,
         const Utils &utils);

    // The parts are taken by value: removing the wrapper markers never touches the caller's.
    static BuiltMessage buildHTML(MessageParts message);
    // The script that hands HTML to a page's addMessage, framed as an alert or not.
    static QString addMessageCall(const QString &html, bool alertFrame);
    static QStringList moderationKeys(const MessageParts &parts);
    // What an alert says aloud: its parts' words, without the badges.
    static QString speechText(MessageParts parts);
    static QString moderationKey(const Moderation &act);

    // A line of the chat view; a note is Kestro's own line, not a viewer's.
    void showInChat(const MessageParts &message, bool note = false);
    void showInAlerts(const AlertMessage &message);

    void chatLine(const MessageParts &parts) override;
    void serviceLine(const QString &text, bool markup = false) override;
    void alert(const AlertMessage &alert) override { showInAlerts(alert); }
    void moderate(const Moderation &act) override;

signals:
    // A line of the chat view as it was drawn, with the message ids and nick classes
    // moderation may name it by, for the stream's copy of the chat.
    void chatShown(const QString &html, const QStringList &keys, bool note);
    // A line of the chats (no note of Kestro's, no alert), for chat speech.
    void chatLineShown(const MessageParts &parts, const QStringList &keys);
    void moderated(const QString &key);

private:
    // One line to one page and its log.
    void deliver(Page &page, const BuiltMessage &built, bool alertFrame, const QString &log);

    Page &m_chatView;
    Page &m_alertView;
    BotLogger &m_logger;
    AlertQueue &m_alerts;
    const Utils &m_utils;
};
