#include "tagmap.h"

TagMap::TagMap(const QString &text)
    : m_text(text) {
    const QChar *data = m_text.constData();
    const int size = m_text.size();
    m_entries.reserve(24);
    for (int start = 0; start <= size;) {
        int end = start;
        int firstEq = -1;
        int secondEq = -1;
        for (; end < size && data[end] != QLatin1Char(';'); ++end) {
            if (data[end] == QLatin1Char('=')) {
                if (firstEq < 0)
                    firstEq = end;
                else if (secondEq < 0)
                    secondEq = end;
            }
        }
        if (firstEq >= 0) {
            const int valueEnd = secondEq >= 0 ? secondEq : end;
            m_entries.append(
                {start, firstEq - start, firstEq + 1, valueEnd - firstEq - 1, end - firstEq - 1});
        } else {
            m_entries.append({start, end - start, 0, -1, -1});
        }
        start = end + 1;
    }
}

// The last entry of a name wins, as later tags overwrite earlier ones.
const TagMap::Entry *TagMap::find(const QString &name) const {
    for (int i = m_entries.size() - 1; i >= 0; --i) {
        const Entry &entry = m_entries.at(i);
        if (QStringView(m_text).mid(entry.key, entry.keyLength) == name)
            return &entry;
    }
    return nullptr;
}

QString TagMap::value(const QString &name) const {
    const Entry *entry = find(name);
    return entry && entry->valueLength >= 0 ? m_text.mid(entry->value, entry->valueLength)
                                            : QString();
}

bool TagMap::contains(const QString &name) const {
    const Entry *entry = find(name);
    return entry && entry->valueLength >= 0;
}

QString TagMap::text(const QString &name) const {
    const Entry *entry = find(name);
    if (!entry || entry->valueLength < 0)
        return {};
    const QStringView raw = QStringView(m_text).mid(entry->value, entry->wholeLength);
    QString result;
    result.reserve(raw.size());
    for (int i = 0; i < raw.size(); ++i) {
        if (raw.at(i) != QLatin1Char('\\')) {
            result += raw.at(i);
            continue;
        }
        if (++i == raw.size())
            break; // a lone backslash at the end stands for nothing
        switch (raw.at(i).unicode()) {
        case 's':
            result += QLatin1Char(' ');
            break;
        case ':':
            result += QLatin1Char(';');
            break;
        case 'r':
            result += QLatin1Char('\r');
            break;
        case 'n':
            result += QLatin1Char('\n');
            break;
        default: // "\\" and any other escaped character stand for themselves
            result += raw.at(i);
        }
    }
    return result;
}
