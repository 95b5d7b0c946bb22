#pragma once

#include "net/http.h"
#include "shell/botlogger.h"

// Patience whose first miss goes to the error log and, where it holds something up, to the
// service's status line too.
inline Patience loggedPatience(const QString &service, BotLogger &logger,
                               std::function<void(const QString &)> show = {},
                               std::function<bool()> wanted = {}) {
    return {service,
            [&logger, show = std::move(show)](const QString &words) {
                logger.log(words, QStringLiteral("error"));
                if (show)
                    show(words);
            },
            std::move(wanted)};
}
