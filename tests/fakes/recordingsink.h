#pragma once

#include "model/chatsink.h"

#include <QStringList>

// Writes down the events a protocol delivers, one short line each, and hands them on to the
// presenter so the fixture tests still see the pages.
class RecordingSink final : public ChatSink {
public:
    explicit RecordingSink(ChatSink &next)
        : m_next(next) {}

    void chatLine(const MessageParts &parts) override {
        events << QStringLiteral("line %1 parts").arg(parts.size());
        m_next.chatLine(parts);
    }
    void serviceLine(const QString &text, bool markup) override {
        events << QStringLiteral("service ") + text;
        m_next.serviceLine(text, markup);
    }
    void alert(const AlertMessage &alert) override {
        events << QStringLiteral("alert ") + alert.type.value_or(QStringLiteral("-"));
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
