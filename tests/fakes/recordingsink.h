#pragma once

#include "model/chatsink.h"

#include <QStringList>

// Writes down the events a protocol delivers, one line each, and hands them on to the
// presenter so the fixture tests still see the logs and the queue.
class RecordingSink final : public ChatSink {
public:
    explicit RecordingSink(ChatSink &next)
        : m_next(next) {}

    // A part in short: [badge], <emote>, "text", each with its non-default facts in braces.
    static QString describe(const MessagePart &part) {
        using Part = MessagePart;
        QStringList facts;
        QString head;
        switch (part.kind) {
        case Part::Kind::None:
            return QStringLiteral("none");
        case Part::Kind::Badge:
            return QLatin1Char('[') + part.title.value_or(QString()) + QLatin1Char(']');
        case Part::Kind::Emote:
            head = QLatin1Char('<') + part.text + QLatin1Char('>');
            facts << part.emoteSource;
            if (part.overlay != Part::Overlay::None)
                facts << (part.overlay == Part::Overlay::Offset ? QStringLiteral("offset")
                                                                : QStringLiteral("zero-width"));
            break;
        case Part::Kind::ReplyContext:
            return QStringLiteral("reply(") + part.name + QStringLiteral(": ") + part.text + ')';
        case Part::Kind::SourceMark:
            return QStringLiteral("from(") + part.text + ')';
        case Part::Kind::Text:
            head = QLatin1Char('"') + part.text + QLatin1Char('"');
            break;
        }
        static const char *const tones[] = {"", "author", "rank", "muted", "mode-on", "mode-off"};
        static const char *const manners[] = {"", "action", "note", "emphatic"};
        facts << QLatin1String(tones[int(part.tone)]) + QLatin1Char(' ') + part.color
              << QLatin1String(manners[int(part.manner)]);
        static const char *const frames[] = {"highlighted", "addressed", "first", "announcement"};
        for (int bit = 0; bit < 4; ++bit) {
            if (part.frames & (1u << bit))
                facts << QLatin1String(frames[bit]);
        }
        if (part.frames & Part::Announcement)
            facts.last() += QLatin1Char(' ') + part.frameColor;
        if (part.markup)
            facts << QStringLiteral("markup");
        if (part.kind == Part::Kind::Text && part.title)
            facts << QStringLiteral("title ") + *part.title;
        if (part.author)
            facts << describe(*part.author);
        for (QString &fact : facts)
            fact = fact.trimmed();
        facts.removeAll(QString());
        return facts.isEmpty()
                   ? head
                   : head + QLatin1Char('{') + facts.join(QStringLiteral("; ")) + QLatin1Char('}');
    }

    static QString describe(const Author &author) {
        QString text = QStringLiteral("by ") + author.service + QLatin1Char(' ') + author.login +
                       QLatin1Char('/') + author.name + QLatin1Char('#') +
                       author.messageIds.join(QLatin1Char(','));
        if (!author.icon.isEmpty())
            text += QStringLiteral(" icon ") + author.icon;
        if (!author.tier.isEmpty())
            text += QStringLiteral(" tier ") + author.tier;
        if (!author.premiumChannel.isEmpty())
            text += QStringLiteral(" premium ") + author.premiumChannel;
        return text;
    }

    static QString describe(const MessageParts &parts) {
        QStringList words;
        for (const MessagePart &part : parts)
            words << describe(part);
        return words.join(QLatin1Char(' '));
    }

    void chatLine(const MessageParts &parts) override {
        events << QStringLiteral("line ") + describe(parts);
        m_next.chatLine(parts);
    }
    void serviceLine(const QString &text, bool markup) override {
        events << QStringLiteral("service ") + text + (markup ? QStringLiteral(" {markup}") : "");
        m_next.serviceLine(text, markup);
    }
    void alert(const AlertMessage &alert) override {
        events << QStringLiteral("alert ") + alert.type.value_or(QStringLiteral("-")) +
                      QLatin1Char(' ') + describe(alert.items);
        m_next.alert(alert);
    }
    void moderate(const Moderation &act) override {
        static const char *const names[] = {"strike message", "strike user", "remove user"};
        events << QLatin1String(names[int(act.act)]) + QLatin1Char(' ') + act.service +
                      QLatin1Char(' ') + act.target;
        m_next.moderate(act);
    }

    QStringList events;

private:
    ChatSink &m_next;
};
