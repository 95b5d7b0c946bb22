#pragma once

#include "common/json.h"
#include "net/redirectcatcher.h"
#include "services/donationalerts/donationalertsapi.h"

#include <QObject>
#include <QStringList>
#include <functional>

class Clock;

// A DonationAlerts login as it is stored: never logged.
struct DonationAlertsAuth {
    QString accessToken;
    qint64 userId = 0;
    QString name;
    QStringList scopes;
    qint64 obtainedAt = 0; // Unix seconds

    bool loggedIn() const { return !accessToken.isEmpty(); }
    Json toJson() const;
    // A record of the wrong shape is no login.
    static DonationAlertsAuth fromJson(const Json &record);
};

// One DonationAlerts login by the implicit grant: the browser opens the consent page and comes
// back to a fixed loopback address with the token in the address's fragment (or the user pastes
// that address). There is no refresh token: a token the API turns down means a new login.
class DonationAlertsAccount : public QObject {
    Q_OBJECT
    Q_PROPERTY(int state READ stateValue NOTIFY changed)
    Q_PROPERTY(QString login READ login NOTIFY changed)
    Q_PROPERTY(bool needsClientId READ needsClientId CONSTANT)
    Q_PROPERTY(QString authorizeUrl READ authorizeUrl NOTIFY changed)
    Q_PROPERTY(QString redirectUri READ redirectUri CONSTANT)
public:
    enum class State { LoggedOut, Waiting, LoggedIn };
    Q_ENUM(State)
    static constexpr const char *kScopes =
        "oauth-user-show oauth-donation-subscribe oauth-donation-index";

    // The client id is asked each time: the user may type it while Kestro runs.
    // clientIdTyped: the build names none, so the user types one.
    DonationAlertsAccount(const DonationAlertsApi &api, const Clock &clock, QUrl redirect,
                          std::function<QString()> clientId, bool clientIdTyped,
                          QObject *parent = nullptr);

    void restore(const DonationAlertsAuth &auth);
    // Listens at the loopback address; the view then opens the consent page in the browser.
    Q_INVOKABLE void logIn();
    // The address the browser ended on, pasted by the user.
    Q_INVOKABLE void takeAddress(const QString &address);
    Q_INVOKABLE void logOut();
    // The API turned the token down.
    void expire();

    const DonationAlertsAuth &auth() const { return m_auth; }
    State state() const { return m_state; }
    int stateValue() const { return int(m_state); }
    QString login() const { return m_auth.name; }
    bool needsClientId() const { return m_clientIdTyped; }
    QString authorizeUrl() const;
    QString redirectUri() const { return m_redirect.toString(); }

signals:
    void changed();
    // The login to keep, or an empty one after a log-out.
    void stored(const DonationAlertsAuth &auth);
    // What went wrong and what to do, in Russian.
    void failed(const QString &message);

private:
    void take(const QUrlQuery &fields);
    void learnUser(const QString &token);
    void end(const QString &message);
    void setState(State state);

    DonationAlertsApi m_api;
    const Clock &m_clock;
    QUrl m_redirect;
    std::function<QString()> m_clientId;
    bool m_clientIdTyped;
    DonationAlertsAuth m_auth;
    State m_state = State::LoggedOut;
    RedirectCatcher m_catcher;
    int m_flow = 0; // replies of an abandoned login are ignored
};
