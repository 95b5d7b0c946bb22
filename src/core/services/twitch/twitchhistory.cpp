// Twitch's gap after a reconnection: IRC keeps no history, so the recent-messages service's
// copy of the channel's last lines is read back.
#include "common/clock.h"
#include "common/json.h"
#include "model/chatsink.h"
#include "net/http.h"
#include "services/twitch/twitch.h"
#include "services/twitch/twitchkeys.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

void Twitch::readGap() {
    if (!m_deps.utils.flag(key::twitchHistory).value_or(true) || m_channelName.isEmpty())
        return;
    m_gap.begin(m_deps.clock.now());
    const int read = ++m_gapRead;
    QUrl url = m_deps.endpoints.url(endpoint::twitchHistory);
    url.setPath(url.path() + QStringLiteral("/api/v2/recent-messages/") + m_channelName.toLower());
    url.setQuery(QStringLiteral("limit=%1").arg(TwitchGap::kLimit));
    m_deps.http.get(url, [this, read](const HttpReply &reply) {
        if (read == m_gapRead && m_gap.active())
            finishGap(historyOf(reply));
    });
}

// The raw lines of the answer; none, said in the error log, when the service has no copy.
QStringList Twitch::historyOf(const HttpReply &reply) {
    const Json answer = parseJson(reply.body);
    const Json &error = jsonAt(answer, {"error"});
    const Json &messages = jsonAt(answer, {"messages"});
    QString problem;
    if (reply.status != 200 && !error.is_string())
        problem = reply.problem();
    else if (error.is_string())
        problem = qstr(error.get<std::string>());
    else if (!messages.is_array())
        problem = QStringLiteral("ответ не того вида");
    if (!problem.isEmpty()) {
        m_deps.logger.log(QStringLiteral("Twitch: пропущенные сообщения не получены: ") + problem,
                          QStringLiteral("error"));
        return {};
    }
    QStringList lines;
    for (const Json &line : messages) {
        if (line.is_string())
            lines << qstr(line.get<std::string>()).trimmed();
    }
    return lines;
}

// The missed lines first, shown and logged but never played; then the live ones that waited.
void Twitch::finishGap(const QStringList &history) {
    const TwitchGap::Lines lines = m_gap.finish(history);
    m_replaying = true;
    for (const QString &raw : lines.missed) {
        m_deps.logger.log(QStringLiteral("Twitch >> (пропущенное) ") + raw, QStringLiteral("raw"));
        handleRaw(raw);
    }
    m_replaying = false;
    if (!lines.missed.isEmpty())
        m_deps.sink.serviceLine(QStringLiteral("- Twitch: пропущенные сообщения показаны (%1)")
                                    .arg(lines.missed.size()));
    for (const QString &raw : lines.held)
        handleRaw(raw);
}
