#pragma once

#include <QString>

// One web page of the window (chat or events); scripts are fire-and-forget.
class Page {
public:
    virtual ~Page() = default;
    virtual void run(const QString &script) = 0;

    // A call of the page object that does nothing while the page has not defined it yet.
    static QString call(const QString &method, const QString &data) {
        return QStringLiteral("('undefined' !== typeof Kestro) && Kestro.") + method +
               QLatin1Char('(') + data + QLatin1Char(')');
    }
};
