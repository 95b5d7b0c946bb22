#pragma once

#include "net/http.h"
#include "relaylog.h"
#include "services/twitch/eventsub.h"
#include "services/twitch/twitchaccount.h"

#include <QObject>
#include <QTimer>

// The relay's Twitch login, kept in a file only its owner reads: the client id and the tokens
// of a device-code login. The account keeps them fresh; each rotated token is written back at
// once, since the one before it no longer works.
class RelayTwitchLogin : public QObject {
    Q_OBJECT
public:
    // An empty client id: the file's.
    RelayTwitchLogin(const QString &path, const QString &clientId, const QUrl &idApi,
                     RelayLog log);

    // The file's login taken up; false when the file names no client id or token.
    bool restore();
    // A new login: the link and the code are printed, the file written once it is confirmed.
    void logIn();
    EventSub::Credentials credentials() const;
    TwitchAccount &account() { return m_account; }

signals:
    void loggedIn();
    void failed();

private:
    void keep(const TwitchTokens &tokens);
    void stateChanged();

    QString m_path;
    QString m_clientId;
    RelayLog m_log;
    Http m_http;
    TwitchAccount m_account;
    QTimer m_ticks;
    bool m_loggingIn = false;
    bool m_prompted = false;
};
