#pragma once

#include "common/json.h"

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

class Clock;
class Http;
struct HttpReply;
struct Patience;

// A Twitch login's tokens as they are stored: never logged.
struct TwitchTokens {
    QString accessToken;
    QString refreshToken;
    qint64 expiresAt = 0; // Unix seconds
    QString login;
    QString userId;
    QStringList scopes;

    bool loggedIn() const { return !accessToken.isEmpty(); }
    Json toJson() const;
    // A record of the wrong shape is no login.
    static TwitchTokens fromJson(const Json &record);
};

// One Twitch login by the device code grant of a public client: the code the user confirms in
// the browser, the tokens kept fresh (refreshed before they expire, the refresh token rotating
// with each), checked hourly, revoked on log-out. Driven by tick() once a second.
class TwitchAccount : public QObject {
    Q_OBJECT
    Q_PROPERTY(int state READ stateValue NOTIFY changed)
    Q_PROPERTY(QString userCode READ userCode NOTIFY changed)
    Q_PROPERTY(QString verificationUri READ verificationUri NOTIFY changed)
    Q_PROPERTY(int minutesLeft READ minutesLeft NOTIFY changed)
    Q_PROPERTY(QString login READ login NOTIFY changed)
    Q_PROPERTY(bool needsClientId READ needsClientId NOTIFY changed)
public:
    enum class State { LoggedOut, Waiting, LoggedIn };
    Q_ENUM(State)
    static constexpr const char *kScopes = "chat:read chat:edit moderator:read:followers";
    static constexpr qint64 kValidateEveryMs = 3600 * 1000;
    // A token is renewed this long before Twitch would stop taking it.
    static constexpr qint64 kRenewAheadMs = 5 * 60 * 1000;

    // The client id is asked each time: the user may type it while Kestro runs.
    // clientIdTyped: the build names none, so the user types one.
    TwitchAccount(Http &http, const Clock &clock, const QUrl &idApi,
                  std::function<QString()> clientId, bool clientIdTyped = false,
                  QObject *parent = nullptr);

    // The stored login, checked (or renewed, when it has expired) at once.
    void restore(const TwitchTokens &tokens);
    Q_INVOKABLE void logIn();
    Q_INVOKABLE void logOut();
    // A token Twitch turned down (a 401, a failed chat login): renewed once until one works.
    void renew();
    void tick();

    const TwitchTokens &tokens() const { return m_tokens; }
    QString clientId() const { return m_clientId(); }
    State state() const { return m_state; }
    int stateValue() const { return int(m_state); }
    QString userCode() const { return m_userCode; }
    QString verificationUri() const { return m_verificationUri; }
    int minutesLeft() const;
    QString login() const { return m_tokens.login; }
    bool needsClientId() const { return m_clientIdTyped; }

signals:
    void changed();
    // The tokens to keep, now: a rotated refresh token works once.
    void stored(const TwitchTokens &tokens);
    // A new access token: whatever was refused may ask again.
    void renewed();
    // What went wrong and what to do, in Russian, once each.
    void failed(const QString &message);

private:
    void poll();
    void polled(const HttpReply &reply);
    void grant(const Json &reply);
    void refresh();
    void refreshed(const HttpReply &reply);
    void validate();
    void validated(const HttpReply &reply);
    Patience patience(int flow);
    void end(const QString &message);
    void offline(const HttpReply &reply);
    void setState(State state);
    bool expiring() const;
    QUrl at(const char *path) const;
    qint64 nowMs() const;

    Http &m_http;
    const Clock &m_clock;
    QUrl m_idApi;
    std::function<QString()> m_clientId;
    bool m_clientIdTyped;
    TwitchTokens m_tokens;
    State m_state = State::LoggedOut;
    // The device code being confirmed.
    QString m_deviceCode;
    QString m_userCode;
    QString m_verificationUri;
    qint64 m_codeExpiresMs = 0;
    qint64 m_intervalMs = 5000;
    int m_shownMinutes = 0; // the minutes left the view was last told
    qint64 m_nextPollMs = 0;
    qint64 m_nextValidateMs = 0;
    qint64 m_nextRefreshMs = 0; // besides expiry: a retry after a failed renewal
    bool m_busy = false;        // a request of the flow is on its way
    qint64 m_renewedAtMs = -1; // the last renewal asked for by a refusal
    bool m_offlineSaid = false;
    int m_flow = 0; // replies of an abandoned flow are ignored
};
