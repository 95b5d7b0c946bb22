#include "services/twitch/followersrelay.h"
#include "services/twitch/twitch.h"
#include "services/twitch/twitchkeys.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

namespace {
const QString kAuthField = QStringLiteral("twitchAuth");
const QString kClientIdField = QStringLiteral("twitchClientId");
const QString kNickField = QStringLiteral("twitchNick");
const QString kChannelField = QStringLiteral("twitchChannel");
} // namespace

void Twitch::connectAccount() {
    connect(&m_account, &TwitchAccount::stored, this, &Twitch::keepTokens);
    connect(&m_account, &TwitchAccount::changed, this, &Twitch::accountChanged);
    connect(&m_account, &TwitchAccount::renewed, this, &Twitch::tokenRenewed);
    connect(&m_account, &TwitchAccount::failed, this, &Twitch::accountFailed);
}

void Twitch::restore() {
    const Json::json_pointer path(key::twitchAuth);
    const Json &stored = m_deps.utils.currentSettings();
    if (stored.contains(path))
        m_account.restore(TwitchTokens::fromJson(stored.at(path)));
}

// The build's client id, or the one endpoints.json moves it to, or else the one the user typed.
QString Twitch::clientId() const {
    const QString built = m_deps.endpoints.word(endpoint::twitchClientId);
    return built.isEmpty() ? m_deps.utils.form().field(kClientIdField).trimmed() : built;
}

// A rotated refresh token works once: it is on the disk before anything else happens.
void Twitch::keepTokens(const TwitchTokens &tokens) {
    m_deps.utils.form().setField(kAuthField, qstr(tokens.toJson().dump()));
    m_deps.utils.saveConfig();
}

// With a login the bot is the account, and its own channel is the one to join unless another
// was typed.
void Twitch::accountChanged() {
    const QString login = loggedIn() ? m_account.login() : QString();
    if (login.isEmpty() || login == m_loggedInAs)
        return;
    m_loggedInAs = login;
    SettingsForm &form = m_deps.utils.form();
    form.setField(kNickField, login);
    if (form.field(kChannelField).trimmed().isEmpty())
        form.setField(kChannelField, login);
    m_deps.utils.saveConfig();
    emit status(QStringLiteral("Twitch: вошли как ") + login);
    if (m_connection.wanted())
        m_connection.reconnectNow();
}

void Twitch::tokenRenewed() {
    m_loginRefusedSaid = false;
    if (m_eventSub)
        m_eventSub->setCredentials(eventSubCredentials());
    if (m_connection.wanted())
        m_connection.reconnectNow();
}

void Twitch::accountFailed(const QString &message) {
    if (!loggedIn())
        m_loggedInAs.clear();
    m_deps.logger.log(message, QStringLiteral("error"));
    emit status(message);
}

// Twitch took no token at the chat login: a login's token is renewed, a pasted one is the
// user's to change.
void Twitch::loginRefused() {
    if (loggedIn())
        return m_account.renew();
    if (std::exchange(m_loginRefusedSaid, true))
        return;
    accountFailed(QStringLiteral("Twitch: токен не принят — войдите через Twitch или вставьте "
                                 "новый OAuth2 токен"));
}

bool Twitch::required(const CredentialField &field) const {
    const bool byLogin =
        qstrcmp(field.path, key::twitchLogin) == 0 || qstrcmp(field.path, key::twitchPassword) == 0;
    return !(byLogin && loggedIn());
}

EventSub::Credentials Twitch::eventSubCredentials() const {
    return {clientId(), m_account.tokens().accessToken, m_account.tokens().userId};
}

// With a login Kestro reads the follows itself; without one the relay does.
void Twitch::readFollows() {
    if (!loggedIn())
        return m_deps.followers.open(m_channelID);
    if (!m_eventSub) {
        QUrl helix = m_deps.endpoints.url(endpoint::twitchApi);
        helix.setPath(helix.path() + QStringLiteral("/helix"));
        m_eventSub = std::make_unique<EventSub>(
            m_deps.endpoints.url(endpoint::twitchEventSub), helix, eventSubCredentials(),
            m_scheduler,
            [this](const QString &line) { m_deps.logger.log(line, QStringLiteral("raw")); });
        connect(m_eventSub.get(), &EventSub::follow, this,
                [this](qint64, const QString &name) { follow(name); });
        connect(m_eventSub.get(), &EventSub::refused, this, &Twitch::followsRefused);
        connect(m_eventSub.get(), &EventSub::revoked, this, [this] {
            accountFailed(QStringLiteral("Twitch отозвал подписку на фолловеров — войдите через "
                                         "Twitch снова"));
        });
    }
    m_eventSub->setCredentials(eventSubCredentials());
    m_eventSub->start();
    m_eventSub->subscribe(m_channelID);
}

void Twitch::followsRefused(qint64 room, int status) {
    if (status == 401)
        return m_account.renew();
    if (std::exchange(m_followsRefusedSaid, true))
        return;
    accountFailed(QStringLiteral("Twitch: канал %1 — Kestro видит фолловеров только своего канала "
                                 "или канала, где вы модератор")
                      .arg(m_channelName.isEmpty() ? QString::number(room) : m_channelName));
}
