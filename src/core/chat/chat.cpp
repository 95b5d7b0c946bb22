#include "chat.h"

#include "common/js.h"
#include "common/logging.h"
#include "common/markup.h"
#include "model/alertqueue.h"
#include "model/page.h"
#include "settings/settingstable.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

namespace {
QString attr(const QString &value) {
    return escapeMarkup(value, MarkupContext::Attribute);
}

QString upperFirst(const QString &text) {
    return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
}

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

void appendImage(LineState &line, const MessagePart &part) {
    const bool badge = part.classes.contains(QStringLiteral("badge"));
    line.result.html += QStringLiteral("<img src=\"") + attr(part.url) +
                        QStringLiteral("\" class=\"") + attr(part.classes.join(QLatin1Char(' '))) +
                        QStringLiteral("\" title=\"") + attr(part.title.value_or(QString())) +
                        QStringLiteral("\">");
    if (badge) {
        line.result.html += QLatin1Char(' ');
        if (line.firstBadge) {
            line.firstBadge = false;
            line.result.text += QLatin1Char('[') + upperFirst(part.title.value_or(QString())) +
                                QStringLiteral("] ");
        }
    } else {
        line.result.text += part.original;
    }
    line.seenImage = true;
}

// Classes that mark a run of parts as a whole (a highlighted message, an announcement's
// frame, a first message): the run goes into one <div> with them instead of each part.
bool isWrapperClass(const QString &name) {
    static const QStringList wrappers{QStringLiteral("highlighted"), QStringLiteral("addressed"),
                                      QStringLiteral("first-message"),
                                      QStringLiteral("announcement")};
    return wrappers.contains(name) || name.startsWith(QLatin1String("announcement-"));
}

QString wrapperOpening(const QString &classes) {
    QString opening = QStringLiteral("<div class=\"") + attr(classes) + QLatin1Char('"');
    if (classes.split(QLatin1Char(' ')).contains(QStringLiteral("first-message")))
        opening += QStringLiteral(" title=\"Первое сообщение в чате\"");
    return opening + QLatin1Char('>');
}

// Opens, changes or closes the wrapper for this part and returns its other classes.
QStringList applyWrapperMarkers(LineState &line, QStringList classes) {
    QStringList wrapper;
    for (const QString &name : classes) {
        if (isWrapperClass(name))
            wrapper << name;
    }
    for (const QString &name : wrapper)
        classes.removeOne(name);
    const QString wanted = wrapper.join(QLatin1Char(' '));
    if (wanted != line.wrapper) {
        if (!line.wrapper.isEmpty())
            line.result.html += QStringLiteral("</div>");
        if (!wanted.isEmpty())
            line.result.html += wrapperOpening(wanted);
        line.wrapper = wanted;
        line.wrapperOutside = !wanted.isEmpty() && !line.nickOpen;
    }
    return classes;
}

QString styleAttribute(const MessagePart &part) {
    QString declarations;
    if (!part.color.isEmpty())
        declarations += QStringLiteral("color:") + cssValue(part.color) + QLatin1Char(';');
    if (!part.style.isEmpty()) {
        const bool italic = part.style == QLatin1String("italic");
        declarations += QStringLiteral("font-") +
                        (italic ? QStringLiteral("style") : QStringLiteral("weight")) +
                        QLatin1Char(':') + cssValue(part.style) + QLatin1Char(';');
    }
    return declarations.isEmpty()
               ? QString()
               : QStringLiteral(" style=\"") + attr(declarations) + QLatin1Char('"');
}

QString titleAttribute(LineState &line, const MessagePart &part) {
    if (!line.seenImage)
        return {};
    QString title;
    const QString own = part.title.value_or(QString());
    if (!own.isEmpty())
        title = QStringLiteral(" title=\"") + attr(own) + QLatin1Char('"');
    else if (line.firstText)
        title = QStringLiteral(" title=\"Ник: ") + attr(part.text) + QLatin1Char('"');
    line.firstText = false;
    return title;
}

void appendText(LineState &line, const MessagePart &part) {
    if (part.msg_id) {
        line.result.html +=
            QStringLiteral("<span class=\"nick ") + attr(*part.msg_id) + QStringLiteral("\">");
        line.nickOpen = true;
    }
    if (!part.premium.isEmpty()) {
        line.result.html += QStringLiteral("<span class=\"premium-icon-") + attr(part.premium) +
                            QStringLiteral("\">");
        line.premiumOpen = true;
    }
    // A part without classes leaves the wrapper as it is.
    QString classAttribute;
    if (!part.classes.isEmpty()) {
        const QStringList classes = applyWrapperMarkers(line, part.classes);
        if (!classes.isEmpty())
            classAttribute = QStringLiteral(" class=\"") + attr(classes.join(QLatin1Char(' '))) +
                             QLatin1Char('"');
    }
    const QString styles = styleAttribute(part);
    const QString title = titleAttribute(line, part);
    line.result.html +=
        QStringLiteral("<span") + classAttribute + styles + title + QLatin1Char('>') +
        escapeMarkup(part.text, part.markup ? MarkupContext::OwnText : MarkupContext::Text) +
        QStringLiteral("</span>");
    line.result.text += part.text;
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
    if (line.premiumOpen)
        line.result.html += QStringLiteral("</span>");
    if (line.nickOpen)
        line.result.html += QStringLiteral("</span>");
    if (wrapped && line.wrapperOutside)
        line.result.html += QStringLiteral("</div>");
    if (Chat::DEBUG_MODE)
        qCDebug(lcChat).noquote() << "BUILDED: " + line.result.html;
}

// An alert's copy in the chat, framed apart from the chat lines.
QString inAlertFrame(const QString &inner) {
    return QStringLiteral("<div class=\"alert\">") + inner + QStringLiteral("</div>");
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

// The speech drops the first word: the service label of the first badge.
QString speechText(const QString &plain) {
    QStringList words = plain.split(QLatin1Char(' '));
    words.removeFirst();
    return words.join(QLatin1Char(' '));
}
} // namespace

Chat::Chat(Page &chatView, Page &alertView, BotLogger &logger, AlertQueue &alerts,
           const Utils &utils)
    : m_chatView(chatView)
    , m_alertView(alertView)
    , m_logger(logger)
    , m_alerts(alerts)
    , m_utils(utils) {}

BuiltMessage Chat::buildHTML(MessageParts message) {
    LineState line;
    // Room for a typical part's markup, so a line grows its buffers once or twice, not per part.
    line.result.html.reserve(160 * message.size());
    line.result.text.reserve(32 * message.size());
    for (const MessagePart &part : message) {
        if (part.type == QLatin1String("image"))
            appendImage(line, part);
        else if (part.type == QLatin1String("text"))
            appendText(line, part);
    }
    finishLine(line);
    return line.result;
}

QString Chat::addMessageCall(const QString &html, bool alertFrame) {
    QString encoded =
        encodeURIComponent(html).replace(QLatin1Char('\''), QStringLiteral("#apostrophe#"));
    if (alertFrame)
        encoded = inAlertFrame(encoded);
    return Page::call(QStringLiteral("addMessage"),
                      QLatin1Char('\'') + encoded + QLatin1Char('\'')) +
           QLatin1Char(';');
}

void Chat::deliver(Page &page, const BuiltMessage &built, bool alertFrame, const QString &log) {
    if (DEBUG_MODE)
        qCDebug(lcChat).noquote() << log + QStringLiteral(": ") + built.html;
    page.run(addMessageCall(built.html, alertFrame));
    m_logger.log(built.text, log);
}

// The ids a moderator's act may name a line by: its message ids and its author's classes.
QStringList Chat::moderationKeys(const MessageParts &parts) {
    QStringList keys;
    for (const MessagePart &part : parts) {
        if (part.msg_id)
            keys << part.msg_id->split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (part.classes.contains(QStringLiteral("user_nick")))
            keys << part.classes;
    }
    keys.removeAll(QStringLiteral("user_nick"));
    return keys;
}

void Chat::showInChat(const MessageParts &message) {
    const BuiltMessage built = buildHTML(message);
    if (built.html.isEmpty())
        return;
    deliver(m_chatView, built, false, QStringLiteral("chat"));
    emit chatShown(built.html, moderationKeys(message));
}

void Chat::showInAlerts(const AlertMessage &message) {
    const BuiltMessage built = buildHTML(message.items);
    if (built.html.isEmpty())
        return;
    deliver(m_alertView, built, false, QStringLiteral("event"));
    deliver(m_chatView, built, true, QStringLiteral("chat"));
    emit chatShown(inAlertFrame(built.html), moderationKeys(message.items));

    if (!message.service || !message.type)
        return;
    AlertRecord record{*message.service, *message.type, message.level, {},
                       message.speech,   message.mail,  built.html};
    if (message.voice && !m_utils.text(key::alertVoice).isEmpty())
        record.text = speechText(built.text);
    m_alerts.enqueue(record);
}

void Chat::serviceLine(const QString &text, const QString &color, bool markup) {
    MessagePart part = MessagePart::textPart(text, color.isEmpty() ? QStringLiteral("#888") : color,
                                             QStringLiteral("italic"));
    part.markup = markup;
    showInChat({part});
}

void Chat::moderate(const Moderation &act) {
    m_chatView.run(Page::call(moderationMethod(act.act), jsQuote(act.target)));
    emit moderated(act);
}
