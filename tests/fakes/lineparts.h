#pragma once

#include "model/messagepart.h"

// The parts of hand-made lines, shaped as the services tell them.
namespace lineparts {
inline MessagePart nick(const QString &name, const QString &color, const QString &service,
                        const QString &id, const QString &login = {}) {
    MessagePart part = MessagePart::textPart(name, MessagePart::Tone::Author, color);
    Author author;
    author.service = service;
    author.login = login;
    author.name = name;
    author.messageIds = QStringList{id};
    part.author = author;
    return part;
}

inline MessagePart badge(const QString &service) {
    return MessagePart::serviceBadge(service.toLower(), service);
}

inline MessagePart framed(const QString &text, unsigned frames, const QString &frameColor = {}) {
    MessagePart part = MessagePart::textPart(text);
    part.frames = frames;
    part.frameColor = frameColor;
    return part;
}
} // namespace lineparts
