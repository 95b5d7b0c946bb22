#include "net/browserlogin.h"

#include <QRandomGenerator>

BrowserLogin::BrowserLogin(Consent consent, QUrl redirect, std::function<QString()> clientId,
                           bool clientIdTyped, QObject *parent)
    : QObject(parent)
    , m_consent(std::move(consent))
    , m_redirect(std::move(redirect))
    , m_clientId(std::move(clientId))
    , m_clientIdTyped(clientIdTyped) {
    connect(&m_catcher, &RedirectCatcher::caught, this, &BrowserLogin::take);
}

QString BrowserLogin::authorizeUrl() const {
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("client_id"), m_clientId().trimmed());
    query.addQueryItem(QStringLiteral("redirect_uri"), redirectUri());
    query.addQueryItem(QStringLiteral("response_type"), QStringLiteral("token"));
    query.addQueryItem(QStringLiteral("scope"), m_consent.scope);
    if (m_consent.checksState)
        query.addQueryItem(QStringLiteral("state"), m_sentState);
    QUrl page = m_consent.page;
    page.setQuery(query.toString(QUrl::FullyEncoded));
    return page.toString(QUrl::FullyEncoded);
}

void BrowserLogin::logIn() {
    if (m_clientId().trimmed().isEmpty())
        return emit failed(service() + QStringLiteral(": впишите ID приложения"));
    QString error;
    if (!m_catcher.listen(m_redirect, &error))
        return emit failed(service() +
                           QStringLiteral(": адрес %1 недоступен (%2)").arg(redirectUri(), error));
    ++m_flow;
    m_sentState =
        QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0');
    setState(State::Waiting);
}

// The address as the browser shows it: the token in its fragment, or a refusal in its query.
void BrowserLogin::takeAddress(const QString &address) {
    const QUrl url(address.trimmed());
    take(QUrlQuery(url.hasFragment() ? url.fragment(QUrl::FullyEncoded)
                                     : url.query(QUrl::FullyEncoded)));
}

void BrowserLogin::take(const QUrlQuery &fields) {
    if (m_state != State::Waiting)
        return;
    const QString token = fields.queryItemValue(QStringLiteral("access_token"), QUrl::FullyDecoded);
    if (token.isEmpty())
        return end(fields.hasQueryItem(QStringLiteral("error"))
                       ? service() + QStringLiteral(": вход отменён")
                       : service() + QStringLiteral(": в адресе нет токена"));
    // Another page's login, or an old one, is no answer to this one.
    if (m_consent.checksState &&
        fields.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded) != m_sentState)
        return end(service() + QStringLiteral(": ответ не от этого входа, войдите снова"));
    m_catcher.close();
    learn(token, fields);
}

void BrowserLogin::logOut() {
    ++m_flow;
    m_catcher.close();
    forget();
    setState(State::LoggedOut);
}

void BrowserLogin::expire() {
    if (m_state == State::LoggedIn)
        logOut();
}

void BrowserLogin::restored() {
    setState(kept() ? State::LoggedIn : State::LoggedOut);
}

void BrowserLogin::loggedIn() {
    setState(State::LoggedIn);
}

void BrowserLogin::end(const QString &message) {
    m_catcher.close();
    setState(kept() ? State::LoggedIn : State::LoggedOut);
    emit failed(message);
}

void BrowserLogin::setState(State state) {
    m_state = state;
    emit changed();
}
