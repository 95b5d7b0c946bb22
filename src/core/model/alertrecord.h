#pragma once

#include <QString>
#include <optional>

// One queued alert: what to play, and what to say.
struct AlertRecord {
    QString service;
    QString type;
    std::optional<int> level;
    std::optional<QString> text;
    std::optional<QString> speech;
    std::optional<QString> mail; // a null string stands for an explicit "no voice message"
    qint64 line = 0;             // the id of its rendered line
    QString summary;             // its line's text, for the queue's list
    qint64 key = 0;              // the queue's own number of it
};
