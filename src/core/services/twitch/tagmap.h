#pragma once

#include <QString>
#include <QVector>

// The tags of one IRC line, by name, with their raw (still escaped) values. Kept as spans
// of the tag text: parsing it is the hottest work per line.
class TagMap {
public:
    TagMap() = default;
    explicit TagMap(const QString &text);

    // The raw value as the older lines read it (cut at a second "="), or an empty string when
    // the tag is absent.
    QString value(const QString &name) const;
    // The value to show: whole (only the first "=" separates name and value) and unescaped
    // as Twitch escapes it (\s space, \: semicolon, \\ backslash, \r, \n).
    QString text(const QString &name) const;
    bool contains(const QString &name) const;

private:
    struct Entry {
        int key, keyLength, value, valueLength; // a value length of -1: the tag is absent
        int wholeLength;
    };
    const Entry *find(const QString &name) const;

    QString m_text;
    QVector<Entry> m_entries;
};
