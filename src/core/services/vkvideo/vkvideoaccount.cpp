#include "services/vkvideo/vkvideoaccount.h"

#include "common/clock.h"
#include "common/js.h"

#include <QLoggingCategory>

using js::member;

Q_LOGGING_CATEGORY(lcVkVideoAccount, "kestro.vkvideo")

namespace {
// A value under 10⁹ counts seconds from now, anything else is the Unix time itself.
qint64 expiryOf(const QString &field, qint64 nowS) {
    const qint64 value = field.toLongLong();
    if (value <= 0)
        return 0;
    return value < 1000000000 ? nowS + value : value;
}

// The current user's reply is not documented in full: the first record with a nick wins.
const Json &userRecord(const Json &answer) {
    const Json &data = member(answer, "data");
    for (const Json *record : {&member(data, "user"), &member(data, "current_user"), &data})
        if (member(*record, "nick").is_string())
            return *record;
    return data;
}
} // namespace

Json VkVideoAuth::toJson() const {
    return Json{{"access_token", stdstr(accessToken)},
                {"expires_at", expiresAt},
                {"user_id", userId},
                {"nick", stdstr(nick)},
                {"obtained_at", obtainedAt}};
}

VkVideoAuth VkVideoAuth::fromJson(const Json &record) {
    VkVideoAuth auth;
    const Json &token = member(record, "access_token");
    if (!token.is_string())
        return auth;
    auth.accessToken = qstr(token.get<std::string>());
    auth.expiresAt = jsNumber(member(record, "expires_at")).value_or(0);
    auth.userId = jsNumber(member(record, "user_id")).value_or(0);
    auth.nick = jsString(member(record, "nick"));
    auth.obtainedAt = jsNumber(member(record, "obtained_at")).value_or(0);
    return auth;
}

VkVideoAccount::VkVideoAccount(const BearerApi &api, QUrl consentPage, const Clock &clock,
                               QUrl redirect, std::function<QString()> clientId, bool clientIdTyped,
                               QObject *parent)
    : BrowserLogin({QStringLiteral("VK Video Live"), std::move(consentPage),
                    QStringLiteral("chat:message:send"),
                    QStringLiteral("Создайте приложение в кабинете разработчика VK Video Live "
                                   "(dev.live.vkvideo.ru), адрес перенаправления: %1, и впишите "
                                   "его ID."),
                    true},
                   std::move(redirect), std::move(clientId), clientIdTyped, parent)
    , m_api(api)
    , m_clock(clock) {}

void VkVideoAccount::restore(const VkVideoAuth &auth) {
    m_auth = auth;
    restored();
}

void VkVideoAccount::nameChannel(const QString &name) {
    if (name == m_channel)
        return;
    m_channel = name;
    emit changed();
}

bool VkVideoAccount::ended() const {
    return m_auth.expiresAt > 0 && m_clock.now() / 1000 >= m_auth.expiresAt;
}

void VkVideoAccount::learn(const QString &token, const QUrlQuery &fields) {
    const qint64 nowS = m_clock.now() / 1000;
    const qint64 expiresAt =
        expiryOf(fields.queryItemValue(QStringLiteral("expire_time"), QUrl::FullyDecoded), nowS);
    m_api.get(token, QStringLiteral("/v1/current_user"), {},
              [this, token, expiresAt, nowS, flow = flow()](const HttpReply &reply) {
                  if (flow != this->flow())
                      return;
                  if (reply.status != 200)
                      return end(QStringLiteral("VK Video Live: вход не удался (") +
                                 (reply.status == 401 ? QStringLiteral("токен не принят")
                                                      : reply.problem()) +
                                 QLatin1Char(')'));
                  // Its shape is known only from this answer: kept for whoever looks into it.
                  qCDebug(lcVkVideoAccount).noquote()
                      << QStringLiteral("current_user: ") + QString::fromUtf8(reply.body);
                  const Json answer = parseJson(reply.body);
                  const Json &user = userRecord(answer);
                  m_auth = {token, expiresAt, qint64(jsNumber(member(user, "id")).value_or(0)),
                            jsString(member(user, "nick")), nowS};
                  emit stored(m_auth);
                  loggedIn();
              });
}

void VkVideoAccount::forget() {
    m_auth = {};
    emit stored(m_auth);
}
