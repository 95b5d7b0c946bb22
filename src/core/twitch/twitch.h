#pragma once

#include "common/json.h"
#include "connection/serviceconnection.h"
#include "model/messagepart.h"

#include <QHash>
#include <QObject>
#include <QVector>
#include <optional>

class BotLogger;
class BTTV;
class ChatSink;
class Clock;
class FFZ;
class Http;
class Random;
class SevenTV;
class TwitchSocket;
class Utils;
struct Endpoints;

// The tags of one IRC line, by name, with their raw (still escaped) values. Kept as spans
// of the tag text: parsing it is the hottest work per line.
class TagMap {
public:
    TagMap() = default;
    explicit TagMap(const QString &text);

    // The raw value, or an empty string when the tag is absent.
    QString value(const QString &name) const;
    bool contains(const QString &name) const;

private:
    struct Entry {
        int key, keyLength, value, valueLength; // a value length of -1: the tag is absent
    };
    const Entry *find(const QString &name) const;

    QString m_text;
    QVector<Entry> m_entries;
};

// One Twitch emote in a message: first and last character, and the emote id.
struct EmoteRange {
    int bpos = 0;
    int epos = 0;
    QString id;
};

// Options copied into every word part of a text.
struct WordOptions {
    QStringList classes;
    QString color;
    QString style;
};

// Everything Kestro needs to talk to a Twitch module's collaborators.
struct TwitchDeps {
    TwitchSocket &twitch;
    ChatSink &sink;
    Utils &utils;
    BotLogger &logger;
    BTTV &bttv;
    FFZ &ffz;
    SevenTV &sevenTv;
    Http &http;
    const Endpoints &endpoints;
    const Clock &clock;
    Random &random;
};

// Badge image ids by set and version.
using BadgeSets = QHash<QString, QHash<QString, QString>>;
enum class BadgeScope { Global, Channel };

// Interprets every Twitch line: chat lines, alerts, room modes, moderation, protocol replies.
class Twitch : public QObject {
    Q_OBJECT
public:
    inline static const QString HOSTING_TAIL = QStringLiteral(" is now hosting you.");
    inline static const QStringList SUB_LEVELS{QStringLiteral("Prime"), QStringLiteral("1000"),
                                               QStringLiteral("2000"), QStringLiteral("3000")};

    explicit Twitch(const TwitchDeps &deps);

    // The channel as the user typed it, for the lines.
    QString channelName() const { return m_channelName; }
    // The joined room's numeric id; 0 before the first join.
    qint64 channelID() const { return m_channelID; }
    // A reconnection is under way: its join is not announced as a new one.
    bool reconnecting() const { return m_reconnecting; }
    const BadgeSets &badges(BadgeScope scope) const {
        return scope == BadgeScope::Global ? m_globalBadges : m_channelBadges;
    }
    // A Helix badge reply ({"data":[{"set_id", "versions":[{"id", "image_url_1x"}]}]}); only
    // images on the CDN are kept, by their id.
    void storeBadges(BadgeScope scope, const Json &reply);

    // The chat link's supervisor: the start button, keep-alive and reconnection.
    ServiceConnection &connection() { return m_connection; }

    // The user's start reached the server: the channel as the user typed it, for the lines.
    void enterChannel(const QString &asTyped) { m_channelName = asTyped; }
    // The user's stop: nothing is rejoined any more.
    void leaveChannel() { m_reconnecting = false; }

    void processMessage(const QString &message, bool in_test = false);
    void newFollower(const QString &message);
    // Writes the streamer's text to the chat and shows it; false when there was nothing to send.
    bool sendMessageToChat(const QString &text);

    static TagMap msgTags(const QString &text);
    static QString messageType(const QStringList &parts);
    static QString messageUser(const QStringList &parts);
    static QString subTier(const QString &tier);

    QString buildTwitchBadgeURL(const QString &key, const QString &version) const;
    QString buildTwitchEmoteURL(const QString &id) const;
    // Validates the chat token, then loads both badge sets (the room's by its id) with the
    // client id it names.
    void validateToken(qint64 roomId);
    void loadGlobalBadges();
    void loadChannelBadges(qint64 roomId);
    MessageParts placeBadges(const TagMap &info) const;
    static QList<EmoteRange> placeEmotes(const QString &emotes);
    MessageParts twitchMessage(const QString &text, const QList<EmoteRange> &emotes,
                               const WordOptions &options = {}) const;
    MessageParts getExternalEmotes(const QString &text, const WordOptions &options = {}) const;

signals:
    // The Services tab status line.
    void status(const QString &text);
    // The channel was joined at the user's start (not on a reconnection): its numeric id.
    void channelJoined(qint64 channelId);

private:
    struct Line;

    void pong(const Line &line);
    void serverReconnect(const Line &line);
    void userState(const Line &line);
    void hostNotice(const Line &line);
    void privateMessage(const Line &line);
    void roomState(const Line &line);
    void userNotice(const Line &line);
    void clearMessage(const Line &line);
    void clearChat(const Line &line);
    void loadBadges(const QString &path, BadgeScope scope);
    QString helixToken() const;
    void showAlert(const QString &type, const MessageParts &items, std::optional<int> level = {});
    MessagePart nickPart(const Line &line, const QString &text, const QString &style) const;
    QList<EmoteRange> emotesOf(const TagMap &tags) const;
    void openSocket(bool again);
    void sendPing();

    TwitchDeps m_deps;
    ServiceConnection m_connection;
    QString m_clientId;
    QString m_channelName;
    qint64 m_channelID = 0;
    TagMap m_botUserInfo;
    BadgeSets m_globalBadges;
    BadgeSets m_channelBadges;
    bool m_reconnecting = false;
};
