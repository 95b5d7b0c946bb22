#include "twitchaccount.h"

#include "common/clock.h"
#include "net/http.h"


namespace {
QString text(const Json &reply, const char *key) {
    const Json &value = jsonAt(reply, {key});
    return value.is_string() ? qstr(value.get<std::string>()) : QString();
}

qint64 number(const Json &reply, const char *key, qint64 fallback) {
    const Json &value = jsonAt(reply, {key});
    return value.is_number() ? qint64(qBound(0.0, value.get<double>(), 1e11)) : fallback;
}

QStringList texts(const Json &list) {
    QStringList result;
    if (list.is_array()) {
        for (const Json &item : list) {
            if (item.is_string())
                result << qstr(item.get<std::string>());
        }
    }
    return result;
}

QByteArray form(std::initializer_list<std::pair<const char *, QString>> fields) {
    QByteArrayList pairs;
    for (const auto &[name, value] : fields)
        pairs << QByteArray(name) + '=' + QUrl::toPercentEncoding(value);
    return pairs.join('&');
}

const QString kNoNetwork = QStringLiteral("Twitch: нет связи с id.twitch.tv — проверьте сеть");
const QString kLoginExpired = QStringLiteral("Twitch: вход истёк, войдите снова");
} // namespace

Json TwitchTokens::toJson() const {
    Json scopeList = Json::array();
    for (const QString &scope : scopes)
        scopeList.push_back(stdstr(scope));
    return Json{{"access_token", stdstr(accessToken)}, {"refresh_token", stdstr(refreshToken)},
                {"expires_at", expiresAt},         {"login", stdstr(login)},
                {"user_id", stdstr(userId)},       {"scopes", scopeList}};
}

TwitchTokens TwitchTokens::fromJson(const Json &record) {
    TwitchTokens tokens;
    tokens.accessToken = text(record, "access_token");
    tokens.refreshToken = text(record, "refresh_token");
    tokens.expiresAt = number(record, "expires_at", 0);
    tokens.login = text(record, "login");
    tokens.userId = text(record, "user_id");
    tokens.scopes = texts(jsonAt(record, {"scopes"}));
    return tokens;
}

TwitchAccount::TwitchAccount(Http &http, const Clock &clock, const QUrl &idApi,
                             std::function<QString()> clientId, bool clientIdTyped,
                             QObject *parent)
    : QObject(parent)
    , m_http(http)
    , m_clock(clock)
    , m_idApi(idApi)
    , m_clientId(std::move(clientId))
    , m_clientIdTyped(clientIdTyped) {}

void TwitchAccount::restore(const TwitchTokens &tokens) {
    if (!tokens.loggedIn())
        return;
    m_tokens = tokens;
    setState(State::LoggedIn);
    if (expiring())
        refresh();
    else
        validate();
}

void TwitchAccount::logIn() {
    if (clientId().isEmpty())
        return emit failed(QStringLiteral("Twitch: впишите Client ID приложения"));
    const int flow = ++m_flow;
    m_busy = true;
    m_http.postForm(at("/oauth2/device"),
                    form({{"client_id", clientId()}, {"scopes", QLatin1String(kScopes)}}),
                    [this, flow](const HttpReply &reply) {
                        if (flow != m_flow)
                            return;
                        m_busy = false;
                        if (reply.status != 200)
                            return offline(reply);
                        m_offlineSaid = false;
                        const Json answer = parseJson(reply.body);
                        m_deviceCode = text(answer, "device_code");
                        m_userCode = text(answer, "user_code");
                        m_verificationUri = text(answer, "verification_uri");
                        if (m_deviceCode.isEmpty() || m_verificationUri.isEmpty())
                            return emit failed(QStringLiteral("Twitch не дал код входа"));
                        m_intervalMs = qBound<qint64>(1, number(answer, "interval", 5), 60) * 1000;
                        m_codeExpiresMs = nowMs() + number(answer, "expires_in", 1800) * 1000;
                        m_nextPollMs = nowMs() + m_intervalMs;
                        setState(State::Waiting);
                    });
}

void TwitchAccount::logOut() {
    ++m_flow;
    m_busy = false;
    if (m_tokens.loggedIn()) {
        m_http.postForm(at("/oauth2/revoke"),
                        form({{"client_id", clientId()}, {"token", m_tokens.accessToken}}),
                        [](const HttpReply &) {});
    }
    m_tokens = {};
    m_deviceCode.clear();
    emit stored(m_tokens);
    setState(State::LoggedOut);
}

// A token refused twice within the hour is not the token's age: the user has to log in.
void TwitchAccount::renew() {
    if (m_state != State::LoggedIn || m_busy)
        return;
    if (m_renewedAtMs >= 0 && nowMs() - m_renewedAtMs < kValidateEveryMs)
        return end(kLoginExpired);
    m_renewedAtMs = nowMs();
    refresh();
}

void TwitchAccount::tick() {
    if (m_busy)
        return;
    const qint64 now = nowMs();
    if (m_state == State::Waiting && minutesLeft() != m_shownMinutes) {
        m_shownMinutes = minutesLeft();
        emit changed();
    }
    if (m_state == State::Waiting && now >= m_nextPollMs)
        return poll();
    if (m_state != State::LoggedIn)
        return;
    if (expiring() || (m_nextRefreshMs && now >= m_nextRefreshMs))
        return refresh();
    if (now >= m_nextValidateMs)
        validate();
}

// A token of unknown age (pasted into a file by hand) is validated instead, which tells it.
bool TwitchAccount::expiring() const {
    return m_tokens.expiresAt != 0 && nowMs() >= m_tokens.expiresAt * 1000 - kRenewAheadMs;
}

int TwitchAccount::minutesLeft() const {
    if (m_state != State::Waiting)
        return 0;
    return int((std::max<qint64>(0, m_codeExpiresMs - nowMs()) + 59999) / 60000);
}

void TwitchAccount::poll() {
    if (nowMs() >= m_codeExpiresMs) {
        setState(State::LoggedOut);
        return emit failed(QStringLiteral("Twitch: код входа истёк — нажмите «Войти через "
                                          "Twitch» ещё раз"));
    }
    const int flow = m_flow;
    m_busy = true;
    m_http.postForm(at("/oauth2/token"),
                    form({{"client_id", clientId()},
                          {"device_code", m_deviceCode},
                          {"grant_type", QStringLiteral("urn:ietf:params:oauth:grant-type:device_code")}}),
                    [this, flow](const HttpReply &reply) {
                        if (flow == m_flow)
                            polled(reply);
                    });
}

void TwitchAccount::polled(const HttpReply &reply) {
    m_busy = false;
    m_nextPollMs = nowMs() + m_intervalMs;
    const Json answer = parseJson(reply.body);
    if (reply.status == 200)
        return grant(answer);
    if (reply.status == 0)
        return offline(reply);
    const QString message = text(answer, "message");
    if (message == QLatin1String("authorization_pending"))
        return;
    if (message == QLatin1String("slow_down")) {
        m_intervalMs += 5000;
        m_nextPollMs = nowMs() + m_intervalMs;
        return;
    }
    setState(State::LoggedOut);
    if (message == QLatin1String("invalid device code"))
        return emit failed(QStringLiteral("Twitch: код входа истёк — нажмите «Войти через "
                                          "Twitch» ещё раз"));
    emit failed(QStringLiteral("Twitch: вход не разрешён (%1) — нажмите «Войти через Twitch», "
                               "чтобы попробовать снова")
                    .arg(message.isEmpty() ? QString::number(reply.status) : message));
}

// New tokens, from the device code or a refresh: kept at once, the login learnt by validation.
void TwitchAccount::grant(const Json &reply) {
    const QString access = text(reply, "access_token");
    if (access.isEmpty())
        return end(QStringLiteral("Twitch не выдал токен — войдите снова"));
    m_tokens.accessToken = access;
    m_tokens.refreshToken = text(reply, "refresh_token");
    m_tokens.expiresAt = nowMs() / 1000 + number(reply, "expires_in", 3600);
    const QStringList scopes = texts(jsonAt(reply, {"scope"}));
    if (!scopes.isEmpty())
        m_tokens.scopes = scopes;
    m_deviceCode.clear();
    m_nextRefreshMs = 0;
    m_offlineSaid = false;
    emit stored(m_tokens);
    setState(State::LoggedIn);
    validate();
}

void TwitchAccount::refresh() {
    if (m_tokens.refreshToken.isEmpty())
        return end(kLoginExpired);
    const int flow = m_flow;
    m_busy = true;
    // Sent again until Twitch answers, the token kept: without an answer it may still be good.
    m_http.postForm(
        at("/oauth2/token"),
        form({{"client_id", clientId()},
              {"grant_type", QStringLiteral("refresh_token")},
              {"refresh_token", m_tokens.refreshToken}}),
        [this, flow](const HttpReply &reply) {
            if (flow != m_flow)
                return;
            m_busy = false;
            refreshed(reply);
        },
        patience(flow));
}

// Until the answer comes the login waits on it, said once where the streamer looks.
Patience TwitchAccount::patience(int flow) {
    return {QStringLiteral("Twitch"), [this](const QString &words) { emit failed(words); },
            [this, flow] {
                return flow == m_flow;
            }};
}

void TwitchAccount::refreshed(const HttpReply &reply) {
    if (reply.status != 200)
        return end(kLoginExpired);
    grant(parseJson(reply.body));
    if (m_state == State::LoggedIn)
        emit renewed();
}

void TwitchAccount::validate() {
    const int flow = m_flow;
    m_busy = true;
    m_http.get(
        at("/oauth2/validate"),
        [this, flow](const HttpReply &reply) {
            if (flow == m_flow)
                validated(reply);
        },
        {{"Authorization", "OAuth " + m_tokens.accessToken.toUtf8()}}, patience(flow));
}

void TwitchAccount::validated(const HttpReply &reply) {
    m_busy = false;
    m_nextValidateMs = nowMs() + kValidateEveryMs;
    if (reply.status == 401)
        return renew();
    const Json answer = parseJson(reply.body);
    const QString login = text(answer, "login");
    if (reply.status != 200 || login.isEmpty())
        return;
    m_offlineSaid = false;
    const bool learnt = login != m_tokens.login || text(answer, "user_id") != m_tokens.userId;
    m_tokens.login = login;
    m_tokens.userId = text(answer, "user_id");
    if (const qint64 left = number(answer, "expires_in", 0))
        m_tokens.expiresAt = nowMs() / 1000 + left;
    if (learnt)
        emit stored(m_tokens);
    setState(State::LoggedIn);
}

void TwitchAccount::end(const QString &message) {
    ++m_flow;
    m_busy = false;
    m_tokens = {};
    m_renewedAtMs = -1;
    emit stored(m_tokens);
    setState(State::LoggedOut);
    emit failed(message);
}

void TwitchAccount::offline(const HttpReply &reply) {
    if (reply.status != 0) {
        setState(State::LoggedOut);
        return emit failed(QStringLiteral("Twitch не принял Client ID (HTTP %1) — проверьте его")
                               .arg(reply.status));
    }
    if (std::exchange(m_offlineSaid, true))
        return;
    emit failed(kNoNetwork);
}

void TwitchAccount::setState(State state) {
    m_state = state;
    emit changed();
}

QUrl TwitchAccount::at(const char *path) const {
    QUrl url = m_idApi;
    url.setPath(url.path() + QLatin1String(path));
    return url;
}

qint64 TwitchAccount::nowMs() const {
    return m_clock.now();
}
