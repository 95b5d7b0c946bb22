#pragma once

#include <QList>
#include <QStringList>
#include <optional>

// One piece of a displayed line: an image (badge, emote) or a run of text.
struct MessagePart {
    QString type; // "image" or "text"; anything else is skipped
    QString url;
    QStringList classes; // the "class" array
    std::optional<QString> title;
    QString original;
    QString text;
    QString color;
    QString style;
    std::optional<QString> msg_id; // present (even empty) on the author's nick part
    QString premium;
    // The text is Kestro's own and carries entities (&laquo;) meant to render; any outside
    // text inside it was escaped by whoever built it.
    bool markup = false;

    static MessagePart image(const QString &url, const QStringList &classes, const QString &title,
                             const QString &original = {});
    static MessagePart textPart(const QString &text, const QString &color = {},
                                const QString &style = {});
};

using MessageParts = QList<MessagePart>;

// The two renderings of one line.
struct BuiltMessage {
    QString html;
    QString text;
};

// An event line with what the alert queue needs to play it.
struct AlertMessage {
    MessageParts items;
    std::optional<QString> service;
    std::optional<QString> type;
    std::optional<int> level;
    bool voice = false;
    std::optional<QString> speech;
    std::optional<QString> mail; // a null string stands for an explicit "no voice message"
};
