#pragma once

#include "common/scheduler.h"
#include "model/messagepart.h"
#include "services/chatservice.h"
#include "services/twitch/eventsub.h"
#include "services/twitch/partnernames.h"
#include "services/twitch/recentmessages.h"
#include "services/twitch/tagmap.h"
#include "services/twitch/twitchaccount.h"
#include "services/twitch/twitchbadges.h"

#include <QHash>
#include <QObject>
#include <QVector>
#include <memory>
#include <optional>

class BotLogger;
class BTTV;
class ChatSink;
class Clock;
class FFZ;
class FollowersRelay;
class Http;
struct HttpReply;
class Random;
class SevenTV;
class TwitchSocket;
class Utils;
class Endpoints;

// One Twitch emote in a message: first and last character, and the emote id.
struct EmoteRange {
    int bpos = 0;
    int epos = 0;
    QString id;
};

// How every word part of a text is told: its frames, and an action's colour and manner.
struct WordOptions {
    unsigned frames = 0;
    QString frameColor;
    MessagePart::Tone tone = MessagePart::Tone::Plain;
    QString color;
    MessagePart::Manner manner = MessagePart::Manner::Said;
};

// Twitch's alert kinds, each with its sound.
QList<SoundSlot> twitchSoundSlots();

// Everything Kestro needs to talk to a Twitch module's collaborators.
struct TwitchDeps {
    TwitchSocket &twitch;
    FollowersRelay &followers;
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

// The Twitch chat service: its login, its IRC link, its follows (EventSub with the login, else
// the relay), and every line interpreted (chat lines, alerts, room modes, moderation,
// protocol replies).
class Twitch : public ChatService {
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
    // The badge sets the lines are drawn with.
    TwitchBadges &badges() { return m_badges; }
    TwitchAccount &account() { return m_account; }
    QObject *accountObject() override { return &m_account; }
    void restore() override;

    QString id() const override { return QStringLiteral("twitch"); }
    QString title() const override { return QStringLiteral("Twitch"); }
    QList<CredentialField> fields() const override;
    QList<ServiceSwitch> switches() const override;
    QList<EndpointKey> endpointKeys() const override;
    QList<SoundSlot> soundSlots() const override;
    void rehearse(const SoundSlot &slot, Rehearsal &draw) override;
    void stop() override;
    bool writes() const override { return true; }
    bool send(const QString &text) override { return sendMessageToChat(text); }
    // Each second: gift folds past their time close, the links are watched.
    void tick() override;
    // The chat link's supervisor: the start button, keep-alive and reconnection.
    ServiceConnection &connection() override { return m_connection; }

    // The channel as the user typed it, for the lines: set when the user's start reaches the
    // server, or by a replay.
    // The channel as typed, shown with the one "#" the lines put before it.
    void enterChannel(const QString &asTyped);

    void processMessage(const QString &message, bool in_test = false);
    // The relay's notification of new followers.
    void newFollower(const QString &message);
    // One new follower of the channel: the follow alert.
    void follow(const QString &name);
    // Writes the streamer's text to the chat and shows it; false when there was nothing to send.
    bool sendMessageToChat(const QString &text);

    static TagMap msgTags(const QString &text);
    static QString messageType(const QStringList &parts);
    static QString messageUser(const QStringList &parts);
    static QString subTier(const QString &tier);

    QString buildTwitchEmoteURL(const QString &id) const;
    static QList<EmoteRange> placeEmotes(const QString &emotes);
    MessageParts twitchMessage(const QString &text, const QList<EmoteRange> &emotes,
                               const WordOptions &options = {}) const;
    MessageParts getExternalEmotes(const QString &text, const WordOptions &options = {}) const;

protected:
    void open() override { m_connection.start(); }
    bool required(const CredentialField &field) const override;

private:
    struct Line;
    // An announced gift bomb whose gifts fold into one line of names.
    struct GiftBomb {
        MessageParts prefix; // the gifter's badges
        QString gifter;
        QString color;
        bool shared = false;
        qint64 count = 0;
        QStringList recipients;
        qint64 openedAt = 0;
        bool closed = false;
    };
    static constexpr qint64 kFoldMs = 10000;
    static constexpr qint64 kFoldMemoryMs = 600000;
    static constexpr int kFoldNames = 20;
    static constexpr int kReplyLength = 60;

    void pong(const Line &line);
    void serverReconnect(const Line &line);
    void userState(const Line &line);
    void hostNotice(const Line &line);
    void privateMessage(const Line &line);
    void roomState(const Line &line);
    void loadRoomSets();
    void userNotice(const Line &line);
    MessageParts viewerText(const Line &line) const;
    void raid(const Line &line);
    void subscription(const Line &line);
    void subGift(const Line &line);
    void giftBomb(const Line &line);
    void closeFold(GiftBomb &bomb);
    void closeExpiredFolds();
    void announcement(const Line &line);
    void noticeLine(const Line &line, const QString &what);
    void viewerMilestone(const Line &line);
    void unknownNotice(const Line &line);
    void bitsBadgeTier(const Line &line);
    void clearMessage(const Line &line);
    void clearChat(const Line &line);
    void showAlert(const QString &type, const MessageParts &items, std::optional<int> level = {});
    void channelEvent(const Line &line, const QString &type, const MessageParts &parts,
                      std::optional<int> level = {});
    void chatLine(const Line &line, MessageParts parts);
    MessageParts linePrefix(const Line &line) const;
    static Author::Role roleOf(const TagMap &tags);
    MessagePart nickPart(const Line &line, const QString &text,
                         MessagePart::Manner manner = MessagePart::Manner::Said) const;
    QList<EmoteRange> emotesOf(const TagMap &tags) const;
    static Line lineOf(const QString &raw);
    void handle(const Line &line);
    void handleRaw(const QString &raw);
    bool heldForGap(const Line &line);
    // The gap after a reconnection, read back (twitchhistory.cpp).
    void readGap();
    void finishGap(const QStringList &history);
    QStringList historyOf(const HttpReply &reply);
    void openSocket(bool again);
    void sendPing();
    void connectSocket();
    void superviseLink();
    void socketConnected();
    void socketDisconnected();
    void leaveChannel();
    // The login's side: kept tokens, the fields it fills, follows through EventSub.
    void connectAccount();
    void keepTokens(const TwitchTokens &tokens);
    void accountChanged();
    void tokenRenewed();
    void accountFailed(const QString &message);
    void loginRefused();
    void readFollows();
    void followsRefused(qint64 room, int status);
    bool loggedIn() const { return m_account.state() == TwitchAccount::State::LoggedIn; }
    QString clientId() const;
    EventSub::Credentials eventSubCredentials() const;

    TwitchDeps m_deps;
    ServiceConnection m_connection;
    TwitchBadges m_badges;
    PartnerNames m_partners;
    QHash<QString, GiftBomb> m_bombs; // by the community gift's id
    TwitchGap m_gap;
    int m_gapRead = 0;        // the read-back asked last; an older answer is dropped
    bool m_replaying = false; // lines of the gap: shown, never played as alerts
    QString m_channelName;
    qint64 m_channelID = 0;
    qint64 m_setsRoom = 0; // the room whose badges and emotes were asked for this join
    TagMap m_botUserInfo;
    bool m_reconnecting = false;
    QtScheduler m_scheduler;
    TwitchAccount m_account;
    std::unique_ptr<EventSub> m_eventSub;
    bool m_loginRefusedSaid = false;
    bool m_followsRefusedSaid = false; // for the channel joined
    QString m_loggedInAs; // the login the fields were last filled from
};
