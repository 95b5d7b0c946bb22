#include "twitchlogin.h"

#include "common/clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

RelayTwitchLogin::RelayTwitchLogin(const QString &path, const QString &clientId,
                                   const QUrl &idApi, RelayLog log)
    : m_path(path)
    , m_clientId(clientId)
    , m_log(std::move(log))
    , m_account(m_http, Clock::system(), idApi, [this] { return m_clientId; }) {
    connect(&m_account, &TwitchAccount::stored, this, &RelayTwitchLogin::keep);
    connect(&m_account, &TwitchAccount::changed, this, &RelayTwitchLogin::stateChanged);
    connect(&m_account, &TwitchAccount::failed, this, [this](const QString &message) {
        m_log(message);
        if (m_loggingIn)
            emit failed();
    });
    m_ticks.setInterval(1000);
    connect(&m_ticks, &QTimer::timeout, &m_account, &TwitchAccount::tick);
}

bool RelayTwitchLogin::restore() {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool tooDeep = false;
    const Json record = parseJson(file.readAll(), &tooDeep);
    const Json &clientId = jsonAt(record, {"client_id"});
    if (m_clientId.isEmpty() && clientId.is_string())
        m_clientId = qstr(clientId.get<std::string>());
    const TwitchTokens tokens = TwitchTokens::fromJson(record);
    if (tooDeep || m_clientId.isEmpty() || !tokens.loggedIn())
        return false;
    m_account.restore(tokens);
    m_ticks.start();
    return true;
}

void RelayTwitchLogin::logIn() {
    if (m_clientId.isEmpty()) {
        m_log(QStringLiteral("ОШИБКА: нужен Client ID приложения Twitch: --twitch-client-id ID"));
        return emit failed();
    }
    m_loggingIn = true;
    m_account.logIn();
    m_ticks.start();
}

EventSub::Credentials RelayTwitchLogin::credentials() const {
    const TwitchTokens &tokens = m_account.tokens();
    return {m_clientId, tokens.accessToken, tokens.userId};
}

// Written aside and renamed into place, owner-only before it is.
void RelayTwitchLogin::keep(const TwitchTokens &tokens) {
    Json record = tokens.toJson();
    record["client_id"] = stdstr(m_clientId);
    const QByteArray bytes = QByteArray::fromStdString(record.dump());
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(bytes) != bytes.size() || !file.commit())
        m_log(QStringLiteral("ОШИБКА: не удалось записать ") + m_path + QStringLiteral(": ") +
              file.errorString());
}

// What the user does next is said on standard output; the log stays on standard error.
void RelayTwitchLogin::stateChanged() {
    if (!m_loggingIn)
        return;
    if (m_account.state() == TwitchAccount::State::Waiting && !std::exchange(m_prompted, true)) {
        const QString prompt = QStringLiteral("Откройте %1 и подтвердите код %2\n")
                                   .arg(m_account.verificationUri(), m_account.userCode());
        std::fputs(prompt.toUtf8().constData(), stdout);
        std::fflush(stdout);
    }
    if (m_account.state() == TwitchAccount::State::LoggedIn && !m_account.login().isEmpty()) {
        m_loggingIn = false;
        const QString done =
            QStringLiteral("Вошли как %1, данные входа в %2\n").arg(m_account.login(), m_path);
        std::fputs(done.toUtf8().constData(), stdout);
        std::fflush(stdout);
        emit loggedIn();
    }
}
