#include "messagepart.h"

MessagePart MessagePart::badge(const QString &url, const QString &title) {
    MessagePart part;
    part.kind = Kind::Badge;
    part.url = url;
    part.title = title;
    return part;
}

// A page-relative address: the window's pages and the overlay's serve the look folders alike.
MessagePart MessagePart::serviceBadge(const QString &service, const QString &title) {
    return badge(QStringLiteral("looks/") + service + QStringLiteral("/badge.png"), title);
}

MessagePart MessagePart::emote(const QString &url, const QString &word, const QString &title,
                               const QString &source) {
    MessagePart part;
    part.kind = Kind::Emote;
    part.url = url;
    part.text = word;
    part.title = title;
    part.emoteSource = source;
    return part;
}

MessagePart MessagePart::textPart(const QString &text, Tone tone, const QString &color,
                                  Manner manner) {
    MessagePart part;
    part.kind = Kind::Text;
    part.text = text;
    part.tone = tone;
    part.color = color;
    part.manner = manner;
    return part;
}

QList<MessagePart> MessagePart::asWords(QList<MessagePart> parts) {
    for (MessagePart &part : parts)
        part.words = true;
    return parts;
}
