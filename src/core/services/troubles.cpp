#include "services/troubles.h"

#include "services/chatservice.h"
#include "shell/botlogger.h"

void Troubles::say(const QString &text) {
    m_logger.log(text, QStringLiteral("error"));
    emit m_service.status(text);
}

void Troubles::sayOnce(const QString &text) {
    if (!std::exchange(m_said, true))
        say(text);
}

void Troubles::dropFrame(const QString &why) {
    m_logger.log(QStringLiteral("ОШИБКА: кадр ") + m_service.title() + QLatin1Char(' ') + why +
                     QStringLiteral(", отброшен"),
                 QStringLiteral("error"));
}

QString Troubles::refusal(const HttpReply &reply, const char *what) const {
    return reply.status == 429
               ? m_service.title() + QStringLiteral(": слишком много запросов, повторим позже")
               : m_service.title() + QStringLiteral(": ошибка запроса %1: %2")
                                         .arg(QLatin1String(what), reply.problem());
}
