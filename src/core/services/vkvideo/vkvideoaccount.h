#pragma once

#include "common/json.h"
#include "net/bearerapi.h"
#include "net/browserlogin.h"

class Clock;

// A VK Video Live login as it is stored: never logged.
struct VkVideoAuth {
    QString accessToken;
    qint64 expiresAt = 0; // Unix seconds; 0: not said
    qint64 userId = 0;
    QString nick;
    qint64 obtainedAt = 0;

    bool loggedIn() const { return !accessToken.isEmpty(); }
    Json toJson() const;
    // A record of the wrong shape is no login.
    static VkVideoAuth fromJson(const Json &record);
};

// One VK Video Live login by the implicit grant, with the state checked; the token's end comes
// with it, and whose it is from the current user (a nick it lacks leaves the channel's name).
class VkVideoAccount : public BrowserLogin {
    Q_OBJECT
public:
    VkVideoAccount(const BearerApi &api, QUrl consentPage, const Clock &clock, QUrl redirect,
                   std::function<QString()> clientId, bool clientIdTyped,
                   QObject *parent = nullptr);

    void restore(const VkVideoAuth &auth);
    const VkVideoAuth &auth() const { return m_auth; }
    // Its nick; without one, the channel's name.
    QString login() const override { return m_auth.nick.isEmpty() ? m_channel : m_auth.nick; }
    void nameChannel(const QString &name);
    // The token's end has passed.
    bool ended() const;

signals:
    void stored(const VkVideoAuth &auth);

protected:
    void learn(const QString &token, const QUrlQuery &fields) override;
    void forget() override;
    bool kept() const override { return m_auth.loggedIn(); }

private:
    BearerApi m_api;
    const Clock &m_clock;
    VkVideoAuth m_auth;
    QString m_channel;
};
