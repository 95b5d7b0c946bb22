#include "overlay.h"

#include "common/js.h"
#include "model/chatsink.h"
#include "settings/chatstyle.h"
#include "settings/settingstable.h"
#include "settings/utils.h"

#include <QRandomGenerator>

namespace {
// An alert the queue holds longer than this many newer ones is shown in the chat only.
constexpr int kAlertLines = 100;

QString newToken() {
    QString token;
    for (int i = 0; i < 4; ++i)
        token +=
            QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0');
    return token;
}
} // namespace

Overlay::Overlay(Utils &utils, const Clock &clock)
    : m_utils(utils)
    , m_feed(clock) {
    m_release.setInterval(100);
    connect(&m_release, &QTimer::timeout, this, [this] {
        m_feed.tick();
        if (!m_feed.waiting())
            m_release.stop();
    });
    connect(&m_feed, &OverlayFeed::lineShown, this,
            [this](const RenderedLine &line) { m_server.broadcast(lineEvent(line)); });
    connect(&m_feed, &OverlayFeed::lineRemoved, this, [this](qint64 id) {
        m_server.broadcast({{"type", "remove"}, {"id", id}});
    });
    m_server.setWelcome([this] { return welcome(); });
    connect(&m_utils.form(), &SettingsForm::changed, this, &Overlay::settingsChanged);
}

OverlayServer::Options Overlay::serverOptions() const {
    OverlayServer::Options options;
    const qint64 port = parseInt(m_utils.form().overlayPort).value_or(0);
    options.port = quint16(port > 0 && port < 65535 ? port : 0);
    options.lan = m_utils.form().overlayLan;
    options.token = m_utils.form().overlayToken;
    options.hosts = m_look.hosts;
    return options;
}

// A token is made once, the first time the overlay starts, and kept in the settings.
void Overlay::start() {
    SettingsForm &form = m_utils.form();
    if (form.overlayToken.isEmpty()) {
        form.overlayToken = newToken();
        emit form.changed();
        m_utils.saveConfig();
    }
    QString error;
    if (!m_server.listen(serverOptions(), &error))
        emit status(error);
    m_feed.setDelaySeconds(form.overlayDelay);
    m_feed.setMaxLines(form.overlayLines);
    m_lastConfig = config();
    emit changed();
}

QString Overlay::chatUrl() const {
    return m_server.pageUrl(QStringLiteral("chat"));
}

QString Overlay::alertsUrl() const {
    return m_server.pageUrl(QStringLiteral("alerts"));
}

void Overlay::chatLine(const RenderedLine &line) {
    if (line.kind == RenderedLine::Kind::Alert) {
        m_alertLines << line;
        if (m_alertLines.size() > kAlertLines)
            m_alertLines.removeFirst();
    }
    if (line.kind == RenderedLine::Kind::Note && !m_utils.form().overlayNotes)
        return;
    m_feed.addLine(line);
    if (m_feed.waiting() && !m_release.isActive())
        m_release.start();
}

void Overlay::moderate(const QString &key) {
    m_feed.remove(key);
}

void Overlay::alertStarted(qint64 line) {
    const auto found = std::find_if(m_alertLines.begin(), m_alertLines.end(),
                                    [line](const RenderedLine &alert) { return alert.id == line; });
    if (found == m_alertLines.end())
        return;
    m_alert = found->html;
    m_alertLines.erase(m_alertLines.begin(), found + 1);
    m_server.broadcast({{"type", "alert"}, {"html", stdstr(m_alert)}});
}

void Overlay::alertEnded() {
    if (m_alert.isEmpty())
        return;
    m_alert.clear();
    m_server.broadcast({{"type", "alertEnd"}});
}

// How the pages draw: the window's chat font, size, colours and animation, the highlight
// colours, and how many lines stay for how long.
Json Overlay::config() const {
    const SettingsForm &form = m_utils.form();
    Json font = Json::object();
    const Json &stored = m_utils.currentSettings();
    const Json::json_pointer fontPath(key::chatFont);
    if (stored.contains(fontPath))
        font = stored.at(fontPath);
    return {{"type", "config"},
            {"lines", qMax(1, form.overlayLines)},
            {"fade", qMax(0, form.overlayFade)},
            {"font", font},
            {"size", stdstr(m_utils.text(key::chatSize))},
            {"color", stdstr(m_utils.text(key::chatForeground))},
            {"animation", stdstr(m_utils.text(key::chatAnimation))},
            {"css", stdstr(buildCustomCSS(m_utils))},
            {"styles", jsonStrings(m_look.styleSheets)}};
}

QList<Json> Overlay::welcome() const {
    QList<Json> events{Json{{"type", "welcome"}}, config()};
    for (const RenderedLine &line : m_feed.shown())
        events << lineEvent(line);
    if (!m_alert.isEmpty())
        events << Json{{"type", "alert"}, {"html", stdstr(m_alert)}};
    return events;
}

Json Overlay::lineEvent(const RenderedLine &line) const {
    return {{"type", "line"},
            {"id", line.id},
            {"html", stdstr(line.html)},
            {"alert", line.kind == RenderedLine::Kind::Alert}};
}

// A new port or network access means listening anew; the rest reaches the pages at once.
void Overlay::settingsChanged() {
    if (!m_server.listening() && m_lastConfig.is_null())
        return; // not started yet
    const OverlayServer::Options wanted = serverOptions();
    const OverlayServer::Options &now = m_server.options();
    if (wanted.port != now.port || wanted.lan != now.lan || wanted.token != now.token) {
        QString error;
        if (!m_server.listen(wanted, &error))
            emit status(error);
        emit changed();
    }
    m_feed.setDelaySeconds(m_utils.form().overlayDelay);
    m_feed.setMaxLines(m_utils.form().overlayLines);
    const Json current = config();
    if (current != m_lastConfig) {
        m_lastConfig = current;
        m_server.broadcast(current);
    }
}
