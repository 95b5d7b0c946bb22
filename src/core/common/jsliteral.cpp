#include "jsliteral.h"

#include <cmath>

namespace {
// Deeper nesting than any catalogue needs; bounds the recursion on hostile input.
constexpr int kMaxDepth = 64;

bool isIdentifierChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

struct ParseError {
    QString reason;
};

class Reader {
public:
    Reader(const QString &text, int position)
        : m_text(text)
        , m_pos(position) {}

    Json value(int depth) {
        if (depth > kMaxDepth)
            fail(QStringLiteral("слишком глубокая вложенность"));
        skipSpace();
        const QChar c = peek();
        if (c == QLatin1Char('{'))
            return object(depth);
        if (c == QLatin1Char('['))
            return array(depth);
        if (c == QLatin1Char('"') || c == QLatin1Char('\''))
            return Json(stdstr(string()));
        if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('+') || c == QLatin1Char('.'))
            return number();
        const QString word = identifier();
        if (word == QLatin1String("true"))
            return true;
        if (word == QLatin1String("false"))
            return false;
        if (word == QLatin1String("null") || word == QLatin1String("undefined"))
            return nullptr;
        fail(QStringLiteral("неожиданный символ в позиции %1").arg(m_pos));
    }

private:
    [[noreturn]] void fail(const QString &reason) const { throw ParseError{reason}; }

    QChar peek() const { return m_pos < m_text.size() ? m_text.at(m_pos) : QChar(); }
    bool atEnd() const { return m_pos >= m_text.size(); }

    void expect(QChar c) {
        skipSpace();
        if (peek() != c)
            fail(QStringLiteral("ожидался «%1» в позиции %2").arg(c).arg(m_pos));
        ++m_pos;
    }

    void skipSpace() {
        while (!atEnd()) {
            if (peek().isSpace()) {
                ++m_pos;
            } else if (m_text.midRef(m_pos, 2) == QLatin1String("//")) {
                const int end = m_text.indexOf(QLatin1Char('\n'), m_pos);
                m_pos = end < 0 ? m_text.size() : end;
            } else if (m_text.midRef(m_pos, 2) == QLatin1String("/*")) {
                const int end = m_text.indexOf(QLatin1String("*/"), m_pos + 2);
                m_pos = end < 0 ? m_text.size() : end + 2;
            } else {
                return;
            }
        }
    }

    Json object(int depth) {
        Json result = Json::object();
        ++m_pos;
        for (;;) {
            skipSpace();
            if (peek() == QLatin1Char('}')) {
                ++m_pos;
                return result;
            }
            const QString key = propertyName();
            expect(QLatin1Char(':'));
            result[stdstr(key)] = value(depth + 1);
            if (!separator(QLatin1Char('}')))
                return result;
        }
    }

    Json array(int depth) {
        Json result = Json::array();
        ++m_pos;
        for (;;) {
            skipSpace();
            if (peek() == QLatin1Char(']')) {
                ++m_pos;
                return result;
            }
            result.push_back(value(depth + 1));
            if (!separator(QLatin1Char(']')))
                return result;
        }
    }

    // After a member: true when another may follow, false when the closing mark was read.
    bool separator(QChar close) {
        skipSpace();
        if (peek() == QLatin1Char(',')) {
            ++m_pos;
            return true;
        }
        expect(close);
        return false;
    }

    QString propertyName() {
        const QChar c = peek();
        if (c == QLatin1Char('"') || c == QLatin1Char('\''))
            return string();
        if (c.isDigit())
            return jsNumberKey(number());
        const QString name = identifier();
        if (name.isEmpty())
            fail(QStringLiteral("ожидалось имя свойства в позиции %1").arg(m_pos));
        return name;
    }

    static QString jsNumberKey(const Json &number) {
        const double value = number.get<double>();
        return value == std::floor(value) && std::fabs(value) < 1e15
                   ? QString::number(static_cast<qint64>(value))
                   : QString::number(value, 'g', 17);
    }

    QString identifier() {
        const int start = m_pos;
        // Minifiers write true as !0 and false as !1.
        if (m_text.midRef(m_pos, 2) == QLatin1String("!0")) {
            m_pos += 2;
            return QStringLiteral("true");
        }
        if (m_text.midRef(m_pos, 2) == QLatin1String("!1")) {
            m_pos += 2;
            return QStringLiteral("false");
        }
        while (!atEnd() && isIdentifierChar(peek()))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    Json number() {
        const int start = m_pos;
        while (!atEnd() && (peek().isLetterOrNumber() || peek() == QLatin1Char('.') ||
                            peek() == QLatin1Char('-') || peek() == QLatin1Char('+'))) {
            const QChar c = peek();
            // A sign belongs to the number only at its start or after an exponent mark.
            if ((c == QLatin1Char('-') || c == QLatin1Char('+')) && m_pos > start &&
                m_text.at(m_pos - 1).toLower() != QLatin1Char('e'))
                break;
            ++m_pos;
        }
        const QString literal = m_text.mid(start, m_pos - start);
        bool ok = false;
        const bool hex = literal.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
        const double value =
            hex ? double(literal.mid(2).toLongLong(&ok, 16)) : literal.toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("неверное число «%1»").arg(literal.left(40)));
        if (value == std::floor(value) && std::fabs(value) < 9007199254740992.0)
            return static_cast<qint64>(value);
        return value;
    }

    QString string() {
        const QChar quote = m_text.at(m_pos++);
        QString result;
        for (;;) {
            if (atEnd())
                fail(QStringLiteral("строка не закрыта"));
            const QChar c = m_text.at(m_pos++);
            if (c == quote)
                return result;
            if (c == QLatin1Char('\\'))
                appendEscape(result);
            else if (c == QLatin1Char('\n'))
                fail(QStringLiteral("перевод строки внутри строки"));
            else
                result += c;
        }
    }

    void appendEscape(QString &result) {
        if (atEnd())
            fail(QStringLiteral("строка не закрыта"));
        const QChar c = m_text.at(m_pos++);
        switch (c.unicode()) {
        case 'n':
            result += QLatin1Char('\n');
            break;
        case 't':
            result += QLatin1Char('\t');
            break;
        case 'r':
            result += QLatin1Char('\r');
            break;
        case 'b':
            result += QLatin1Char('\b');
            break;
        case 'f':
            result += QLatin1Char('\f');
            break;
        case 'v':
            result += QLatin1Char('\v');
            break;
        case '0':
            result += QChar(0);
            break;
        case '\n':
            break; // a line continuation
        case 'x':
            result += hexChar(2);
            break;
        case 'u':
            result += hexChar(4);
            break;
        default:
            result += c;
        }
    }

    QChar hexChar(int digits) {
        bool ok = false;
        const uint code = m_text.mid(m_pos, digits).toUInt(&ok, 16);
        if (!ok || m_pos + digits > m_text.size())
            fail(QStringLiteral("неверная escape-последовательность в позиции %1").arg(m_pos));
        m_pos += digits;
        return QChar(code);
    }

    const QString &m_text;
    int m_pos;
};

// Where the value of "name = …" starts, or -1; "==" and longer names do not count.
int assignmentStart(const QString &script, const QString &name) {
    for (int at = script.indexOf(name); at >= 0; at = script.indexOf(name, at + 1)) {
        const int end = at + name.size();
        if ((at > 0 && isIdentifierChar(script.at(at - 1))) ||
            (end < script.size() && isIdentifierChar(script.at(end))))
            continue;
        int pos = end;
        while (pos < script.size() && script.at(pos).isSpace())
            ++pos;
        if (pos < script.size() && script.at(pos) == QLatin1Char('=') &&
            (pos + 1 >= script.size() || script.at(pos + 1) != QLatin1Char('=')))
            return pos + 1;
    }
    return -1;
}
} // namespace

JsLiteral readJsAssignment(const QString &script, const QString &name) {
    const int start = assignmentStart(script, name);
    if (start < 0)
        return {nullptr, name + QStringLiteral(" не найден")};
    try {
        return {Reader(script, start).value(0), QString()};
    } catch (const ParseError &error) {
        return {nullptr, error.reason};
    }
}
