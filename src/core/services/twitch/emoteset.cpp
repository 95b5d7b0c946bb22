#include "emoteset.h"

#include "common/logging.h"
#include "net/endpoints.h"
#include "net/http.h"
#include "services/patience.h"
#include "shell/botlogger.h"

EmoteService::EmoteService(Http &http, BotLogger &logger, const Endpoints &endpoints,
                           const EmoteApi &api)
    : m_http(http)
    , m_logger(logger)
    , m_endpoints(endpoints)
    , m_api(api) {}

void EmoteService::loadGlobalEmotes() {
    fetch(QLatin1String(m_api.globalPath), EmoteScope::Global,
          [this](const Json &body) { storeGlobalEmotes(body); });
}

void EmoteService::loadChannelEmotes(qint64 channelID) {
    fetch(QLatin1String(m_api.channelPath) + QString::number(channelID), EmoteScope::Channel,
          [this](const Json &body) { storeChannelEmotes(body); });
}

const QString *EmoteService::findEmote(const QString &word) const {
    for (const EmoteTable *table : {&m_channelEmotes, &m_globalEmotes}) {
        const auto it = table->constFind(word);
        if (it != table->constEnd())
            return &*it;
    }
    return nullptr;
}

// Sent again until the service answers; a status other than 200 is said on the console, and for
// the channel's sets (the global ones are everyone's) in the error log too; a body that is not
// JSON is dropped with a console line.
void EmoteService::fetch(const QString &path, EmoteScope scope,
                         std::function<void(const Json &)> apply) {
    const bool channel = scope == EmoteScope::Channel;
    const QString label = QStringLiteral("Ошибка %1 (%2)")
                              .arg(QLatin1String(m_api.name),
                                   channel ? QStringLiteral("channel") : QStringLiteral("global"));
    const QUrl url = m_endpoints.url(m_api.base).resolved(QUrl(path));
    m_http.get(
        url,
        [this, label, channel, apply = std::move(apply)](const HttpReply &reply) {
            if (reply.status != 200) {
                const QString message = label + QStringLiteral(": ") + reply.problem();
                qCWarning(lcEmotes).noquote() << message;
                if (channel)
                    m_logger.log(message, QStringLiteral("error"));
                return;
            }
            const Json body = parseJson(reply.body);
            if (body.is_discarded()) {
                qCWarning(lcEmotes).noquote() << label + QStringLiteral(": ответ не JSON");
                return;
            }
            apply(body);
        },
        {}, loggedPatience(QLatin1String(m_api.name), m_logger));
}
