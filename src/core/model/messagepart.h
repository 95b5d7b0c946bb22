#pragma once

#include <QList>
#include <QStringList>
#include <optional>

// Who wrote a line, as far as the lines' styling and a moderator's act need to know.
struct Author {
    // What the channel made of the author: who chat speech may read when it reads only some,
    // and the channel's own streamer, whose words are never read back to them.
    enum class Role { Viewer, Member, Moderator, Streamer };
    QString service;        // the service's id: the prefix of every mark it leaves on a line
    QString login;          // moderation finds a user's lines by it; empty when there is none
    QString name;           // the name shown, when it is the login spelled otherwise
    QStringList messageIds; // the ids moderation may strike the line by
    QString icon;           // GoodGame: the icon beside the nick
    QString tier;           // GoodGame: the premium's tier ("3", "gg-2")
    QString premiumChannel; // GoodGame: the channel whose premium the author holds here
    Role role = Role::Viewer;
};

// One piece of a chat line as the service told it. What it looks like, the presenter decides.
struct MessagePart {
    enum class Kind {
        None,         // skipped
        Text,         // a run of the line's text
        Badge,        // an image before the nick
        Emote,        // an image standing for a word of the text
        ReplyContext, // the message answered: `name` and the start of its text
        SourceMark,   // the partner channel a shared line comes from
    };
    // Where a text's colour comes from.
    enum class Tone {
        Plain,   // the page's own
        Author,  // the author's colour as the service gives it (`color`, may be empty)
        Rank,    // the colour of a GoodGame rank (`color` names it)
        Muted,   // Kestro's notes and the context around a line
        ModeOn,  // a room mode switched on
        ModeOff, // and off
    };
    enum class Manner { Said, Action, Note, Emphatic };
    // Frames around a run of the line; a part without any leaves the run open.
    enum Frame : unsigned {
        Highlighted = 1,
        Addressed = 2,
        FirstMessage = 4,
        Announcement = 8, // in `frameColor`
    };
    // How an emote stacks on the one before.
    enum class Overlay { None, Offset, ZeroWidth };

    Kind kind = Kind::None;
    QString text; // the text, an emote's word, the answered text, the partner's channel
    QString url;
    std::optional<QString> title; // the tooltip; a nick without one gets the presenter's
    QString name;                 // the answered author of a reply context
    Tone tone = Tone::Plain;
    QString color;
    Manner manner = Manner::Said;
    unsigned frames = 0;
    QString frameColor;
    QString emoteSource; // the chat service an emote is native to; empty for the emote sets
    Overlay overlay = Overlay::None;
    std::optional<Author> author; // on the author's nick
    // Of the viewer's own words: the presenter's addressed rule reads them.
    bool words = false;
    // The text is Kestro's own and carries entities (&laquo;) meant to render; any outside
    // text inside it was escaped by whoever built it.
    bool markup = false;

    static MessagePart badge(const QString &url, const QString &title);
    // The service's own badge, from its look folder.
    static MessagePart serviceBadge(const QString &service, const QString &title);
    static MessagePart emote(const QString &url, const QString &word, const QString &title,
                             const QString &source = {});
    static MessagePart textPart(const QString &text, Tone tone = Tone::Plain,
                                const QString &color = {}, Manner manner = Manner::Said);
    // The same parts, marked as the viewer's own words.
    static QList<MessagePart> asWords(QList<MessagePart> parts);
};

using MessageParts = QList<MessagePart>;

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
