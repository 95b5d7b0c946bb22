#pragma once

#include "common/json.h"
#include "net/bearerapi.h"
#include "net/browserlogin.h"

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

// One DonationAlerts login by the implicit grant; whose it is comes from the API's user.
class DonationAlertsAccount : public BrowserLogin {
    Q_OBJECT
public:
    static constexpr const char *kScopes =
        "oauth-user-show oauth-donation-subscribe oauth-donation-index";

    DonationAlertsAccount(const BearerApi &api, const Clock &clock, QUrl redirect,
                          std::function<QString()> clientId, bool clientIdTyped,
                          QObject *parent = nullptr);

    void restore(const DonationAlertsAuth &auth);
    const DonationAlertsAuth &auth() const { return m_auth; }
    QString login() const override { return m_auth.name; }

signals:
    // The login to keep, or an empty one after a log-out.
    void stored(const DonationAlertsAuth &auth);

protected:
    void learn(const QString &token, const QUrlQuery &fields) override;
    void forget() override;
    bool kept() const override { return m_auth.loggedIn(); }

private:
    BearerApi m_api;
    const Clock &m_clock;
    DonationAlertsAuth m_auth;
};
