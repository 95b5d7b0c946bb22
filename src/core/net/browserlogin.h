#pragma once

#include "net/redirectcatcher.h"

#include <QObject>
#include <QUrl>
#include <functional>

// A login by the implicit grant, as a service's account shows it: the browser opens the
// service's consent page and comes back to a fixed loopback address with the token in the
// address's fragment (or the user pastes that address). There is no refresh token: a token the
// service turns down means a new login. The service finds out whose the token is and keeps it.
class BrowserLogin : public QObject {
    Q_OBJECT
    Q_PROPERTY(int state READ stateValue NOTIFY changed)
    Q_PROPERTY(QString login READ login NOTIFY changed)
    Q_PROPERTY(bool needsClientId READ needsClientId CONSTANT)
    Q_PROPERTY(QString authorizeUrl READ authorizeUrl NOTIFY changed)
    Q_PROPERTY(QString redirectUri READ redirectUri CONSTANT)
    Q_PROPERTY(QString clientIdSteps READ clientIdSteps CONSTANT)
public:
    enum class State { LoggedOut, Waiting, LoggedIn };
    Q_ENUM(State)

    // The service's consent page and what it is asked for.
    struct Consent {
        QString service; // as its texts name it ("DonationAlerts")
        QUrl page;       // the consent page, without a query
        QString scope;
        QString steps; // how the user makes an application of their own, "%1" the redirect
        bool checksState = false; // the page sends back a state of ours, checked on return
    };

    // The client id is asked each time: the user may type it while Kestro runs.
    // clientIdTyped: the build names none, so the user types one.
    BrowserLogin(Consent consent, QUrl redirect, std::function<QString()> clientId,
                 bool clientIdTyped, QObject *parent = nullptr);

    // Listens at the loopback address; the view then opens the consent page in the browser.
    Q_INVOKABLE void logIn();
    // The address the browser ended on, pasted by the user.
    Q_INVOKABLE void takeAddress(const QString &address);
    Q_INVOKABLE void logOut();
    // The service turned the token down.
    void expire();

    State state() const { return m_state; }
    int stateValue() const { return int(m_state); }
    virtual QString login() const = 0;
    bool needsClientId() const { return m_clientIdTyped; }
    QString authorizeUrl() const;
    QString redirectUri() const { return m_redirect.toString(); }
    QString clientIdSteps() const { return m_consent.steps.arg(redirectUri()); }

signals:
    void changed();
    // What went wrong and what to do, in Russian.
    void failed(const QString &message);

protected:
    // A token came back with these fields: find out whose it is, then `loggedIn` or `end`.
    virtual void learn(const QString &token, const QUrlQuery &fields) = 0;
    // The stored login is gone.
    virtual void forget() = 0;
    // A login is kept from before.
    virtual bool kept() const = 0;
    // Replies of an abandoned login carry an older flow.
    int flow() const { return m_flow; }
    // The kept login, as it was read back from the settings.
    void restored();
    void loggedIn();
    void end(const QString &message);
    const QString &service() const { return m_consent.service; }

private:
    void take(const QUrlQuery &fields);
    void setState(State state);

    Consent m_consent;
    QUrl m_redirect;
    std::function<QString()> m_clientId;
    bool m_clientIdTyped;
    State m_state = State::LoggedOut;
    RedirectCatcher m_catcher;
    int m_flow = 0;
    QString m_sentState; // the state the consent page was given in this flow
};
