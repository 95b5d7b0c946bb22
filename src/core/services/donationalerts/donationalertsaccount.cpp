#include "services/donationalerts/donationalertsaccount.h"

#include "common/clock.h"
#include "common/js.h"

using js::member;

namespace {
const QString kUserPath = QStringLiteral("/api/v1/user/oauth");
} // namespace

Json DonationAlertsAuth::toJson() const {
    Json scopeList = Json::array();
    for (const QString &scope : scopes)
        scopeList.push_back(stdstr(scope));
    return Json{{"access_token", stdstr(accessToken)},
                {"user_id", userId},
                {"name", stdstr(name)},
                {"scopes", scopeList},
                {"obtained_at", obtainedAt}};
}

DonationAlertsAuth DonationAlertsAuth::fromJson(const Json &record) {
    DonationAlertsAuth auth;
    const Json &token = member(record, "access_token");
    if (!token.is_string())
        return auth;
    auth.accessToken = qstr(token.get<std::string>());
    auth.userId = jsNumber(member(record, "user_id")).value_or(0);
    auth.name = jsString(member(record, "name"));
    for (const Json &scope : member(record, "scopes")) {
        if (scope.is_string())
            auth.scopes << qstr(scope.get<std::string>());
    }
    auth.obtainedAt = jsNumber(member(record, "obtained_at")).value_or(0);
    return auth;
}

DonationAlertsAccount::DonationAlertsAccount(const BearerApi &api, const Clock &clock,
                                             QUrl redirect, std::function<QString()> clientId,
                                             bool clientIdTyped, QObject *parent)
    : BrowserLogin({QStringLiteral("DonationAlerts"), api.at(QStringLiteral("/oauth/authorize")),
                    QLatin1String(kScopes),
                    QStringLiteral("Зарегистрируйте приложение на donationalerts.com (Настройки → "
                                   "API → Создать новое приложение), Redirect URL: %1, и впишите "
                                   "его ID.")},
                   std::move(redirect), std::move(clientId), clientIdTyped, parent)
    , m_api(api)
    , m_clock(clock) {}

void DonationAlertsAccount::restore(const DonationAlertsAuth &auth) {
    m_auth = auth;
    restored();
}

// Who the token belongs to, before it is kept.
void DonationAlertsAccount::learn(const QString &token, const QUrlQuery &) {
    m_api.get(token, kUserPath, {}, [this, token, flow = flow()](const HttpReply &reply) {
        if (flow != this->flow())
            return;
        const Json answer = parseJson(reply.body);
        const Json &data = member(answer, "data");
        const std::optional<double> id = jsNumber(member(data, "id"));
        if (reply.status != 200 || !id)
            return end(QStringLiteral("DonationAlerts: вход не удался (") +
                       (reply.status == 401 ? QStringLiteral("токен не принят") : reply.problem()) +
                       QLatin1Char(')'));
        m_auth = {token, qint64(*id), jsString(member(data, "name")),
                  QString::fromLatin1(kScopes).split(QLatin1Char(' ')),
                  m_clock.now() / 1000};
        emit stored(m_auth);
        loggedIn();
    });
}

void DonationAlertsAccount::forget() {
    m_auth = {};
    emit stored(m_auth);
}
