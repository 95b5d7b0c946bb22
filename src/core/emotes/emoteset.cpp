#include "emoteset.h"

#include "common/logging.h"
#include "net/http.h"
#include "shell/botlogger.h"

EmoteService::EmoteService(Http &http, BotLogger &logger, const Endpoints &endpoints)
    : m_http(http)
    , m_logger(logger)
    , m_endpoints(endpoints) {}

const QString *EmoteService::findEmote(const QString &word) const {
    for (const EmoteTable *table : {&m_channelEmotes, &m_globalEmotes}) {
        const auto it = table->constFind(word);
        if (it != table->constEnd())
            return &*it;
    }
    return nullptr;
}

void fetchEmoteSet(Http &http, BotLogger &logger, const QUrl &url, const QString &label,
                   bool logErrors, std::function<void(const Json &)> apply) {
    http.get(url, [&logger, label, logErrors, apply = std::move(apply)](const HttpReply &reply) {
        if (reply.status != 200) {
            const QString message =
                label + QStringLiteral(": статус ответа - ") + QString::number(reply.status);
            qCWarning(lcEmotes).noquote() << message;
            if (logErrors)
                logger.log(message, QStringLiteral("error"));
            return;
        }
        const Json body = parseJson(reply.body);
        if (body.is_discarded()) {
            qCWarning(lcEmotes).noquote() << label + QStringLiteral(": ответ не JSON");
            return;
        }
        apply(body);
    });
}
