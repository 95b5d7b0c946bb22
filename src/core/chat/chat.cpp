#include "chat.h"

#include "common/js.h"
#include "common/logging.h"
#include "common/markup.h"
#include "model/alertqueue.h"
#include "model/page.h"
#include "settings/chatstyle.h"
#include "settings/settingstable.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

#include <utility>

namespace {
QString attr(const QString &value) {
    return escapeMarkup(value, MarkupContext::Attribute);
}

QString upperFirst(const QString &text) {
    return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
}

// The renderings of one line.
struct BuiltMessage {
    QString html;
    QString text;
    QString speech; // the text without the badges' labels
};

// The flags of one build; wrappers never span two lines.
struct LineState {
    BuiltMessage result;
    bool seenImage = false;
    bool firstText = true;
    bool firstBadge = true;
    QString wrapper;             // the classes of the open wrapper <div>, empty when none is open
    bool wrapperOutside = false; // it was opened before the nick's span, so it closes last
    bool nickOpen = false;
    bool premiumOpen = false;
};

// The classes of an image: a badge, or an emote of its source and stacking.
QStringList imageClasses(const MessagePart &part) {
    if (part.kind == MessagePart::Kind::Badge)
        return {QStringLiteral("badge")};
    QStringList classes{QStringLiteral("emote")};
    if (!part.emoteSource.isEmpty())
        classes << part.emoteSource;
    if (part.overlay == MessagePart::Overlay::Offset)
        classes << QStringLiteral("with-offset") << part.text.toLower();
    else if (part.overlay == MessagePart::Overlay::ZeroWidth)
        classes << QStringLiteral("with-offset") << QStringLiteral("zero-width");
    return classes;
}

void appendImage(LineState &line, const MessagePart &part) {
    const bool badge = part.kind == MessagePart::Kind::Badge;
    line.result.html +=
        QStringLiteral("<img src=\"") + attr(part.url) + QStringLiteral("\" class=\"") +
        attr(imageClasses(part).join(QLatin1Char(' '))) + QStringLiteral("\" title=\"") +
        attr(part.title.value_or(QString())) + QStringLiteral("\">");
    if (badge) {
        line.result.html += QLatin1Char(' ');
        if (line.firstBadge) {
            line.firstBadge = false;
            line.result.text += QLatin1Char('[') + upperFirst(part.title.value_or(QString())) +
                                QStringLiteral("] ");
        }
    } else {
        line.result.text += part.text;
        line.result.speech += part.text;
    }
    line.seenImage = true;
}

// The classes that mark a run of parts as a whole (a highlighted message, an announcement's
// frame, a first message): the run goes into one <div> with them instead of each part.
QString frameClasses(const MessagePart &part) {
    QStringList classes;
    if (part.frames & MessagePart::Highlighted)
        classes << QStringLiteral("highlighted");
    if (part.frames & MessagePart::Addressed)
        classes << QStringLiteral("addressed");
    if (part.frames & MessagePart::FirstMessage)
        classes << QStringLiteral("first-message");
    if (part.frames & MessagePart::Announcement)
        classes << QStringLiteral("announcement")
                << QStringLiteral("announcement-") + part.frameColor;
    return classes.join(QLatin1Char(' '));
}

QString wrapperOpening(const MessagePart &part, const QString &classes) {
    QString opening = QStringLiteral("<div class=\"") + attr(classes) + QLatin1Char('"');
    if (part.frames & MessagePart::FirstMessage)
        opening += QStringLiteral(" title=\"Первое сообщение в чате\"");
    return opening + QLatin1Char('>');
}

// Opens, changes or closes the wrapper for this part.
void applyFrames(LineState &line, const MessagePart &part) {
    const QString wanted = frameClasses(part);
    if (wanted == line.wrapper)
        return;
    if (!line.wrapper.isEmpty())
        line.result.html += QStringLiteral("</div>");
    if (!wanted.isEmpty())
        line.result.html += wrapperOpening(part, wanted);
    line.wrapper = wanted;
    line.wrapperOutside = !wanted.isEmpty() && !line.nickOpen;
}

// A part's own classes: the nick's marks by its author, or the context it stands for.
QStringList ownClasses(const MessagePart &part) {
    if (part.kind == MessagePart::Kind::ReplyContext)
        return {QStringLiteral("reply-context")};
    if (part.kind == MessagePart::Kind::SourceMark)
        return {QStringLiteral("source-mark")};
    if (!part.author)
        return {};
    const Author &author = *part.author;
    QStringList classes{QStringLiteral("user_nick")};
    if (!author.login.isEmpty())
        classes << author.service + QStringLiteral("-nick-") + author.login;
    if (!author.icon.isEmpty())
        classes << QStringLiteral("with-icon") << QStringLiteral("icon-") + author.icon;
    if (!author.tier.isEmpty())
        classes << QStringLiteral("type-") + author.tier;
    return classes;
}

// GoodGame's colours of its ranks, as its own chat shows them.
QString rankColor(const QString &rank) {
    static const QHash<QString, QString> colors{
        {QStringLiteral("bronze"), QStringLiteral("#e7820a")},
        {QStringLiteral("diamond"), QStringLiteral("#8781bd")},
        {QStringLiteral("gold"), QStringLiteral("#eefc08")},
        {QStringLiteral("king"), QStringLiteral("#30d5c8")},
        {QStringLiteral("moderator"), QStringLiteral("#ec4058")},
        {QStringLiteral("premium"), QStringLiteral("#bd70d7")},
        {QStringLiteral("premium-personal"), QStringLiteral("#31a93a")},
        {QStringLiteral("silver"), QStringLiteral("#b4b4b4")},
        {QStringLiteral("simple"), QStringLiteral("#73adff")},
        {QStringLiteral("streamer"), QStringLiteral("#e8bb00")},
        {QStringLiteral("top-one"), QStringLiteral("#3bcbff")},
        {QStringLiteral("undead"), QStringLiteral("#ab4873")},
        {QStringLiteral("system"), QStringLiteral("#888888")}};
    return colors.value(rank, QStringLiteral("#aaaaaa"));
}

QString colorOf(const MessagePart &part) {
    if (part.kind == MessagePart::Kind::ReplyContext || part.kind == MessagePart::Kind::SourceMark)
        return QStringLiteral("#888");
    switch (part.tone) {
    case MessagePart::Tone::Plain:
        break;
    case MessagePart::Tone::Author:
        return part.color.isEmpty() ? QStringLiteral("#aaaaaa") : part.color;
    case MessagePart::Tone::Rank:
        return rankColor(part.color);
    case MessagePart::Tone::Muted:
        return QStringLiteral("#888");
    case MessagePart::Tone::ModeOn:
        return QStringLiteral("#844");
    case MessagePart::Tone::ModeOff:
        return QStringLiteral("#484");
    }
    return {};
}

QString styleAttribute(const MessagePart &part) {
    QString declarations;
    const QString color = colorOf(part);
    if (!color.isEmpty())
        declarations += QStringLiteral("color:") + cssValue(color) + QLatin1Char(';');
    if (part.manner == MessagePart::Manner::Action || part.manner == MessagePart::Manner::Note)
        declarations += QStringLiteral("font-style:italic;");
    else if (part.manner == MessagePart::Manner::Emphatic)
        declarations += QStringLiteral("font-weight:bold;");
    return declarations.isEmpty()
               ? QString()
               : QStringLiteral(" style=\"") + attr(declarations) + QLatin1Char('"');
}

QString shownText(const MessagePart &part) {
    if (part.kind == MessagePart::Kind::ReplyContext)
        return QStringLiteral("↪ ") + part.name + QStringLiteral(": ") + part.text +
               QLatin1Char(' ');
    if (part.kind == MessagePart::Kind::SourceMark)
        return QStringLiteral(" ⇄ ") + part.text;
    return part.text;
}

// The part's own tooltip: a partner's channel, a nick that is not its login, or the one given.
QString ownTitle(const MessagePart &part) {
    if (part.kind == MessagePart::Kind::SourceMark)
        return QStringLiteral("Общий чат: канал ") + part.text;
    if (part.author && !part.author->login.isEmpty())
        return part.author->name.toLower() != part.author->login
                   ? QStringLiteral("User: ") + part.author->login
                   : QString();
    return part.title.value_or(QString());
}

QString titleAttribute(LineState &line, const MessagePart &part, const QString &text) {
    if (!line.seenImage)
        return {};
    QString title;
    const QString own = ownTitle(part);
    if (!own.isEmpty())
        title = QStringLiteral(" title=\"") + attr(own) + QLatin1Char('"');
    else if (line.firstText)
        title = QStringLiteral(" title=\"Ник: ") + attr(text) + QLatin1Char('"');
    line.firstText = false;
    return title;
}

// Where moderation finds the line: each of the author's message ids under its service.
QString messageMarks(const Author &author) {
    QStringList marks;
    for (const QString &id : author.messageIds)
        marks << author.service + QLatin1Char('-') + id;
    return marks.join(QLatin1Char(' '));
}

void openNick(LineState &line, const Author &author) {
    line.result.html +=
        QStringLiteral("<span class=\"nick ") + attr(messageMarks(author)) + QStringLiteral("\">");
    line.nickOpen = true;
    if (!author.premiumChannel.isEmpty()) {
        line.result.html += QStringLiteral("<span class=\"premium-icon-") +
                            attr(author.premiumChannel) + QStringLiteral("\">");
        line.premiumOpen = true;
    }
}

void appendText(LineState &line, const MessagePart &part) {
    if (part.author)
        openNick(line, *part.author);
    const QStringList classes = ownClasses(part);
    if (!classes.isEmpty() || part.frames != 0)
        applyFrames(line, part);
    const QString classAttribute =
        classes.isEmpty()
            ? QString()
            : QStringLiteral(" class=\"") + attr(classes.join(QLatin1Char(' '))) + QLatin1Char('"');
    const QString text = shownText(part);
    const QString styles = styleAttribute(part);
    const QString title = titleAttribute(line, part, text);
    line.result.html +=
        QStringLiteral("<span") + classAttribute + styles + title + QLatin1Char('>') +
        escapeMarkup(text, part.markup ? MarkupContext::OwnText : MarkupContext::Text) +
        QStringLiteral("</span>");
    line.result.text += text;
    line.result.speech += text;
}

// Every run of two or more spaces becomes one space.
QString collapseSpaces(const QString &text) {
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') || !result.endsWith(QLatin1Char(' ')))
            result += c;
    }
    return result;
}

// The spans and the wrapper close in the reverse order of their opening.
void finishLine(LineState &line) {
    const bool wrapped = !line.wrapper.isEmpty();
    if (wrapped && !line.wrapperOutside)
        line.result.html += QStringLiteral("</div>");
    if (line.result.html.isEmpty())
        return;
    line.result.html = line.result.html.trimmed();
    line.result.text = collapseSpaces(line.result.text.trimmed());
    line.result.speech = collapseSpaces(line.result.speech.trimmed());
    if (line.premiumOpen)
        line.result.html += QStringLiteral("</span>");
    if (line.nickOpen)
        line.result.html += QStringLiteral("</span>");
    if (wrapped && line.wrapperOutside)
        line.result.html += QStringLiteral("</div>");
    if (Chat::DEBUG_MODE)
        qCDebug(lcChat).noquote() << "BUILDED: " + line.result.html;
}

// The chat page's script for each act.
QString moderationMethod(Moderation::Act act) {
    switch (act) {
    case Moderation::Act::StrikeMessage:
        return QStringLiteral("strikeMessage");
    case Moderation::Act::StrikeUser:
        return QStringLiteral("strikeMessages");
    case Moderation::Act::RemoveUser:
        break;
    }
    return QStringLiteral("removeMessages");
}

// The page's HTML and the log's text of the parts, in one pass.
BuiltMessage buildHTML(const MessageParts &message) {
    LineState line;
    // Room for a typical part's markup, so a line grows its buffers once or twice, not per part.
    line.result.html.reserve(160 * message.size());
    line.result.text.reserve(32 * message.size());
    for (const MessagePart &part : message) {
        if (part.kind == MessagePart::Kind::Badge || part.kind == MessagePart::Kind::Emote)
            appendImage(line, part);
        else if (part.kind != MessagePart::Kind::None)
            appendText(line, part);
    }
    finishLine(line);
    return line.result;
}

// The ids a moderator's act may name a line by: its message ids and its author's classes.
QStringList moderationKeys(const MessageParts &parts) {
    QStringList keys;
    for (const MessagePart &part : parts) {
        if (!part.author)
            continue;
        keys << messageMarks(*part.author).split(QLatin1Char(' '), Qt::SkipEmptyParts)
             << ownClasses(part);
    }
    keys.removeAll(QStringLiteral("user_nick"));
    return keys;
}

} // namespace

Chat::Chat(Page &chatView, Page &alertView, BotLogger &logger, AlertQueue &alerts,
           const Utils &utils)
    : m_chatView(chatView)
    , m_alertView(alertView)
    , m_logger(logger)
    , m_alerts(alerts)
    , m_utils(utils) {}


// The HTML goes as a string literal, the same text the overlay's pages are sent.
QString Chat::addMessageCall(const RenderedLine &line, bool alertFrame) {
    return Page::call(QStringLiteral("addMessage"),
                      jsQuote(line.html) +
                          (alertFrame ? QStringLiteral(", true") : QStringLiteral(", false"))) +
           QLatin1Char(';');
}


// A viewer's words with a highlight word in them frame the line, unless it is highlighted.
bool Chat::markAddressed(MessageParts &parts) const {
    QString words;
    for (const MessagePart &part : parts) {
        if (part.frames & MessagePart::Highlighted)
            return false;
        if (part.words)
            words += part.text + QLatin1Char(' ');
    }
    if (words.isEmpty() || !isAddressedText(m_utils, words))
        return false;
    for (MessagePart &part : parts) {
        if (part.words)
            part.frames |= MessagePart::Addressed;
    }
    return true;
}

RenderedLine Chat::render(MessageParts parts, RenderedLine::Kind kind) {
    RenderedLine line;
    line.kind = kind;
    line.addressed = markAddressed(parts);
    const BuiltMessage built = buildHTML(parts);
    line.html = built.html;
    line.text = built.text;
    if (line.html.isEmpty())
        return line;
    line.id = ++m_lastId;
    line.speech = built.speech;
    line.keys = moderationKeys(parts);
    line.parts = std::move(parts);
    return line;
}

void Chat::showInChat(const MessageParts &message, bool note) {
    const RenderedLine line =
        render(message, note ? RenderedLine::Kind::Note : RenderedLine::Kind::Chat);
    if (line.html.isEmpty())
        return;
    m_chatView.run(addMessageCall(line, false));
    m_logger.log(line.text, QStringLiteral("chat"));
    emit lineShown(line);
}

// An event goes to the events page and its log, framed apart into the chat and its log, and
// to the alert queue by its line's id with the words to say.
void Chat::showInAlerts(const AlertMessage &message) {
    const RenderedLine line = render(message.items, RenderedLine::Kind::Alert);
    if (line.html.isEmpty())
        return;
    m_alertView.run(addMessageCall(line, false));
    m_logger.log(line.text, QStringLiteral("event"));
    m_chatView.run(addMessageCall(line, true));
    m_logger.log(line.text, QStringLiteral("chat"));
    emit lineShown(line);

    if (!message.service || !message.type)
        return;
    AlertRecord record{*message.service, *message.type, message.level, {},
                       message.speech,   message.mail,  line.id,       line.text};
    if (message.voice && !m_utils.text(key::alertVoice).isEmpty())
        record.text = line.speech;
    m_alerts.enqueue(record);
}

void Chat::serviceLine(const QString &text, bool markup) {
    MessagePart part =
        MessagePart::textPart(text, MessagePart::Tone::Muted, {}, MessagePart::Manner::Note);
    part.markup = markup;
    showInChat({part}, true);
}

// The mark the lines carry: a message's id, or the user's nick class, under the service.
QString Chat::moderationKey(const Moderation &act) {
    const QString infix =
        act.act == Moderation::Act::StrikeMessage ? QStringLiteral("-") : QStringLiteral("-nick-");
    return act.service + infix + act.target;
}

void Chat::moderate(const Moderation &act) {
    const QString key = moderationKey(act);
    m_chatView.run(Page::call(moderationMethod(act.act), jsQuote(key)));
    emit moderated(key);
}
