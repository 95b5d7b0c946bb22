#include "alerts/chatspeech.h"

#include "alerts/alertplayer.h"
#include "alerts/alerts.h"
#include "alerts/soundrouting.h"
#include "alerts/speechrelay.h"
#include "common/clock.h"
#include "common/json.h"
#include "settings/settingstable.h"
#include "settings/utils.h"
#include "shell/botlogger.h"
#include "shell/speechfile.h"

#include <QRegularExpression>
#include <algorithm>

namespace {
bool switchAt(const Utils &utils, const char *path) {
    return utils.flag(path).value_or(false);
}

int wholeAt(const Utils &utils, const char *path, int fallback, int low, int high) {
    const std::optional<double> value = utils.number(path);
    return value ? int(std::clamp(*value, double(low), double(high))) : fallback;
}

ChatSpeechRules::Who whoOf(const QString &text) {
    if (text == QLatin1String("members"))
        return ChatSpeechRules::Who::Members;
    if (text == QLatin1String("moderators"))
        return ChatSpeechRules::Who::Moderators;
    return ChatSpeechRules::Who::All;
}

bool allowed(Author::Role role, ChatSpeechRules::Who who) {
    switch (who) {
    case ChatSpeechRules::Who::Members:
        return role != Author::Role::Viewer;
    case ChatSpeechRules::Who::Moderators:
        return role == Author::Role::Moderator || role == Author::Role::Streamer;
    case ChatSpeechRules::Who::All:
        break;
    }
    return true;
}

// What the ear can follow: each link one word, a run of one character at most three long.
QString speakable(QString text) {
    static const QRegularExpression link(QStringLiteral("(?:https?://|www\\.)\\S+"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression run(QStringLiteral("(.)\\1{3,}"),
                                        QRegularExpression::UseUnicodePropertiesOption);
    text.replace(link, QStringLiteral("ссылка"));
    text.replace(run, QStringLiteral("\\1\\1\\1"));
    return text.simplified();
}

// Cut at the last word that fits, and said to go on.
QString cutAtWord(const QString &text, int maxLength) {
    if (text.size() <= maxLength)
        return text;
    QString cut = text.left(maxLength);
    const int space = cut.lastIndexOf(QLatin1Char(' '));
    if (space > 0)
        cut.truncate(space);
    return cut + QStringLiteral(" и так далее");
}
} // namespace

ChatSpeechRules ChatSpeechRules::from(const Utils &utils) {
    ChatSpeechRules rules;
    rules.enabled = switchAt(utils, key::chatSpeechEnabled);
    rules.who = whoOf(utils.text(key::chatSpeechWho));
    rules.readNick = switchAt(utils, key::chatSpeechNick);
    rules.skipCommands = switchAt(utils, key::chatSpeechCommands);
    for (const QString &nick : utils.text(key::chatSpeechIgnored).split(QLatin1Char(','))) {
        if (!nick.trimmed().isEmpty())
            rules.ignored << nick.trimmed().toLower();
    }
    rules.maxLength = wholeAt(utils, key::chatSpeechLength, 200, 20, 2000);
    return rules;
}

ChatSpeech::ChatSpeech(const ChatSpeechDeps &deps)
    : m_deps(deps) {
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &ChatSpeech::tick);
    connect(&m_deps.relay, &SpeechRelay::audio, this, [this](const QByteArray &bytes) {
        if (m_phase != Phase::Fetching)
            return;
        m_relayDownSaid = false;
        if (alertsFirst())
            return holdCurrent();
        setPhase(Phase::Writing);
        m_deps.speech.save(bytes);
    });
    connect(&m_deps.relay, &SpeechRelay::failed, this, [this](const QString &reason) {
        if (m_phase != Phase::Fetching)
            return;
        setPhase(Phase::Idle);
        if (std::exchange(m_relayDownSaid, true))
            return;
        m_deps.logger.log(QStringLiteral("ОШИБКА: речь для чата не получена: ") + reason,
                          QStringLiteral("error"));
    });
    connect(&m_deps.speech, &SpeechFile::ready, this, [this](const QString &path) {
        // The files are this queue's own: one of a line dropped meanwhile goes at once.
        if (m_phase != Phase::Writing) {
            if (!path.isEmpty())
                m_deps.speech.remove(path);
            return;
        }
        if (path.isEmpty())
            return setPhase(Phase::Idle);
        if (alertsFirst()) {
            m_deps.speech.remove(path);
            return holdCurrent();
        }
        play(path);
    });
    connect(&m_deps.player, &AlertPlayer::stopped, this, [this] {
        if (m_phase == Phase::Speaking)
            finished();
    });
    connect(&m_deps.player, &AlertPlayer::error, this, [this] {
        if (m_phase == Phase::Speaking && m_deps.player.state() != AlertPlayer::PlayingState)
            finished();
    });
}

std::optional<QString> ChatSpeech::spokenText(const MessageParts &parts,
                                              const ChatSpeechRules &rules) {
    const auto nick = std::find_if(parts.begin(), parts.end(),
                                   [](const MessagePart &part) { return part.author.has_value(); });
    if (nick == parts.end())
        return std::nullopt; // Kestro's own lines and the streamer's sends have no author
    const Author &author = *nick->author;
    // The streamer's own words, typed in any client, are not read back over the stream.
    if (author.role == Author::Role::Streamer)
        return std::nullopt;
    if (!allowed(author.role, rules.who) || rules.ignored.contains(author.login.toLower()) ||
        rules.ignored.contains(nick->text.toLower()))
        return std::nullopt;
    QString body;
    for (auto part = nick + 1; part != parts.end(); ++part) {
        if (part->kind == MessagePart::Kind::SourceMark)
            return std::nullopt; // a partner channel's line of a shared chat
        body += part->kind == MessagePart::Kind::Text ? part->text : QStringLiteral(" ");
    }
    body = body.trimmed();
    if (body.startsWith(QLatin1Char(':')))
        body = body.mid(1).trimmed();
    if (rules.skipCommands && body.startsWith(QLatin1Char('!')))
        return std::nullopt;
    body = cutAtWord(speakable(body), rules.maxLength);
    if (body.isEmpty())
        return std::nullopt;
    return rules.readNick ? nick->text + QStringLiteral(": ") + body : body;
}

// An alert waiting, playing or paused goes first; so does any other sound of the player.
bool ChatSpeech::alertsFirst() const {
    const Alerts &alerts = m_deps.alerts;
    return alerts.alertsPause() || alerts.alertsProcessing() || !alerts.QUEUE().isEmpty() ||
           (m_phase != Phase::Speaking && m_deps.player.state() == AlertPlayer::PlayingState);
}

// Only the viewers' lines are read, neither Kestro's notes nor the alerts.
void ChatSpeech::offer(const RenderedLine &line) {
    if (line.kind != RenderedLine::Kind::Chat)
        return;
    const ChatSpeechRules rules = ChatSpeechRules::from(m_deps.utils);
    const std::optional<QString> text =
        rules.enabled ? spokenText(line.parts, rules) : std::nullopt;
    if (!text)
        return;
    const int room = wholeAt(m_deps.utils, key::chatSpeechQueue, 5, 1, 50);
    while (m_waiting.size() >= room)
        m_rows.remove(m_waiting.takeFirst().key);
    m_waiting.append({*text, line.keys, m_deps.clock.now(), ++m_lastKey});
    m_rows.append({m_lastKey, *text});
    emit queued(*text);
    if (!m_timer.isActive())
        m_timer.start();
}

template <typename Match> void ChatSpeech::dropWaiting(Match match) {
    const auto kept = std::stable_partition(m_waiting.begin(), m_waiting.end(),
                                            [&match](const Line &line) { return !match(line); });
    for (auto dropped = kept; dropped != m_waiting.end(); ++dropped)
        m_rows.remove(dropped->key);
    m_waiting.erase(kept, m_waiting.end());
}

void ChatSpeech::moderated(const QString &key) {
    dropWaiting([&key](const Line &line) { return line.keys.contains(key); });
    if (m_phase == Phase::Idle || !m_current.keys.contains(key))
        return;
    if (m_phase == Phase::Speaking)
        return m_deps.player.stop();
    setPhase(Phase::Idle); // its speech, when it comes, is not played
}

void ChatSpeech::tick() {
    const qint64 now = m_deps.clock.now();
    const bool enabled = switchAt(m_deps.utils, key::chatSpeechEnabled);
    dropWaiting(
        [now, enabled](const Line &line) { return !enabled || now - line.at > kMaxWaitMs; });
    if (m_phase != Phase::Idle)
        return;
    if (m_waiting.isEmpty())
        return m_timer.stop();
    if (!alertsFirst())
        startNext();
}

void ChatSpeech::skip() {
    if (m_phase == Phase::Speaking)
        m_deps.player.stop();
}

void ChatSpeech::takeOut(qint64 key) {
    const auto line = std::find_if(m_waiting.begin(), m_waiting.end(),
                                   [key](const Line &one) { return one.key == key; });
    if (line == m_waiting.end())
        return;
    m_deps.logger.log(QStringLiteral("Убрано из очереди чтения чата: ") + line->text,
                      QStringLiteral("event"));
    m_rows.remove(key);
    m_waiting.erase(line);
}

void ChatSpeech::startNext() {
    m_current = m_waiting.takeFirst();
    m_rows.remove(m_current.key);
    setPhase(Phase::Fetching);
    Json request = Json::object();
    request["token"] = stdstr(m_deps.ttsToken);
    request["text"] = stdstr(Alerts::prepareText(m_current.text));
    const QString name = voice();
    if (!name.isEmpty() && name != QLatin1String("random"))
        request["voice"] = stdstr(name);
    m_deps.relay.request(qstr(request.dump()));
}

// The chat's own voice, or else the alerts'.
QString ChatSpeech::voice() const {
    const QString own = m_deps.utils.text(key::chatSpeechVoice);
    return own.isEmpty() ? m_deps.utils.text(key::alertVoice) : own;
}

// An alert came while the line's speech was on its way: the line waits again, first.
void ChatSpeech::holdCurrent() {
    m_waiting.prepend(m_current);
    m_rows.prepend({m_current.key, m_current.text});
    setPhase(Phase::Idle);
}

void ChatSpeech::play(const QString &path) {
    m_file = path;
    setPhase(Phase::Speaking);
    m_deps.routing.use(SoundRouting::Use::ChatSpeech);
    m_deps.player.setSource(path);
    const std::optional<double> volume = m_deps.utils.number(key::chatSpeechVolume);
    m_deps.player.setVolume(std::clamp(volume.value_or(0.75), 0.0, 1.0));
    m_deps.player.play();
}

// The file is ours to delete; the player goes back to the alerts' volume.
void ChatSpeech::finished() {
    if (m_deps.player.source() == m_file)
        m_deps.player.setSource(QString());
    m_deps.speech.remove(m_file);
    m_file.clear();
    if (const std::optional<double> volume = m_deps.utils.number(key::alertVolume))
        m_deps.player.setVolume(*volume);
    setPhase(Phase::Idle);
}

void ChatSpeech::setPhase(Phase phase) {
    const bool wasSpeaking = speaking();
    m_phase = phase;
    if (wasSpeaking != speaking())
        emit speakingChanged();
}
