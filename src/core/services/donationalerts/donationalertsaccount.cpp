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

DonationAlertsAccount::DonationAlertsAccount(const DonationAlertsApi &api, const Clock &clock,
                                             QUrl redirect, std::function<QString()> clientId,
                                             bool clientIdTyped, QObject *parent)
    : QObject(parent)
    , m_api(api)
    , m_clock(clock)
    , m_redirect(std::move(redirect))
    , m_clientId(std::move(clientId))
    , m_clientIdTyped(clientIdTyped) {
    connect(&m_catcher, &RedirectCatcher::caught, this, &DonationAlertsAccount::take);
}

void DonationAlertsAccount::restore(const DonationAlertsAuth &auth) {
    m_auth = auth;
    setState(auth.loggedIn() ? State::LoggedIn : State::LoggedOut);
}

QString DonationAlertsAccount::authorizeUrl() const {
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("client_id"), m_clientId().trimmed());
    query.addQueryItem(QStringLiteral("redirect_uri"), redirectUri());
    query.addQueryItem(QStringLiteral("response_type"), QStringLiteral("token"));
    query.addQueryItem(QStringLiteral("scope"), QLatin1String(kScopes));
    return m_api.at(QStringLiteral("/oauth/authorize"), query.toString(QUrl::FullyEncoded))
        .toString(QUrl::FullyEncoded);
}

void DonationAlertsAccount::logIn() {
    if (m_clientId().trimmed().isEmpty())
        return emit failed(QStringLiteral("DonationAlerts: впишите ID приложения"));
    QString error;
    if (!m_catcher.listen(m_redirect, &error))
        return emit failed(QStringLiteral("DonationAlerts: адрес %1 недоступен (%2)")
                               .arg(redirectUri(), error));
    ++m_flow;
    setState(State::Waiting);
}

// The address as the browser shows it: the token in its fragment, or a refusal in its query.
void DonationAlertsAccount::takeAddress(const QString &address) {
    const QUrl url(address.trimmed());
    take(QUrlQuery(url.hasFragment() ? url.fragment(QUrl::FullyEncoded)
                                     : url.query(QUrl::FullyEncoded)));
}

void DonationAlertsAccount::take(const QUrlQuery &fields) {
    if (m_state != State::Waiting)
        return;
    const QString token = fields.queryItemValue(QStringLiteral("access_token"), QUrl::FullyDecoded);
    if (token.isEmpty())
        return end(fields.hasQueryItem(QStringLiteral("error"))
                       ? QStringLiteral("DonationAlerts: вход отменён")
                       : QStringLiteral("DonationAlerts: в адресе нет токена"));
    m_catcher.close();
    learnUser(token);
}

// Who the token belongs to, before it is kept.
void DonationAlertsAccount::learnUser(const QString &token) {
    m_api.get(token, kUserPath, {}, [this, token, flow = m_flow](const HttpReply &reply) {
        if (flow != m_flow)
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
        setState(State::LoggedIn);
    });
}

void DonationAlertsAccount::logOut() {
    ++m_flow;
    m_catcher.close();
    m_auth = {};
    emit stored(m_auth);
    setState(State::LoggedOut);
}

void DonationAlertsAccount::expire() {
    if (m_state == State::LoggedIn)
        logOut();
}

void DonationAlertsAccount::end(const QString &message) {
    m_catcher.close();
    setState(m_auth.loggedIn() ? State::LoggedIn : State::LoggedOut);
    emit failed(message);
}

void DonationAlertsAccount::setState(State state) {
    m_state = state;
    emit changed();
}
