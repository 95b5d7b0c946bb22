#include "messagepart.h"

MessagePart MessagePart::image(const QString &url, const QStringList &classes, const QString &title,
                               const QString &original) {
    MessagePart part;
    part.type = QStringLiteral("image");
    part.url = url;
    part.classes = classes;
    part.title = title;
    part.original = original;
    return part;
}

MessagePart MessagePart::textPart(const QString &text, const QString &color, const QString &style) {
    MessagePart part;
    part.type = QStringLiteral("text");
    part.text = text;
    part.color = color;
    part.style = style;
    return part;
}
