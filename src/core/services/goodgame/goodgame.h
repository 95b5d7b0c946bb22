#pragma once

#include "common/json.h"
#include "connection/gapfill.h"
#include "model/messagepart.h"
#include "services/chatservice.h"

#include <QHash>
#include <QObject>
#include <QWebSocket>
#include <memory>
#include <optional>

// Where GoodGame's fields are stored in settings.json.
namespace key {
inline constexpr const char *goodgameLogin = "/services/goodgame/login";
inline constexpr const char *goodgamePassword = "/services/goodgame/password";
inline constexpr const char *goodgameChannel = "/services/goodgame/channel";
} // namespace key

// The outside addresses of GoodGame's chat, its site's API and its smiles.
namespace endpoint {
inline constexpr EndpointKey goodgameChat{"goodgameChat", "wss://chat-1.goodgame.ru/chat2/"};
inline constexpr EndpointKey goodgameSite{"goodgameSite", "https://goodgame.ru"};
inline constexpr EndpointKey goodgameStatic{"goodgameStatic", "https://static.goodgame.ru"};
} // namespace endpoint

// GoodGame's alert kinds, each with its sound.
QList<SoundSlot> goodgameSoundSlots();
// Its look on the pages: the icons beside its nicks and its smiles' size.
ServiceLook goodgameLook();

// One smile of the catalogue.
struct Smile {
    QString animated; // empty when the smile is still
    QString simple;
    QString channel; // "0" for smiles of all GoodGame
    bool premium = false;
    bool paid = false;
    std::optional<qint64> donat; // none when the catalogue gave no number
};

// What an author may use: the second argument of placeEmotes.
struct SmilePermissions {
    QStringList premiums; // channel ids, as text
    Json donat;           // the message's payments, by channel id
    bool helper = false;
    QString channel;
};

// The GoodGame chat service for one channel: login, the JSON protocol (version 2, and the
// legacy version 1 where the server's welcome says so), smiles and nick colours.
class Goodgame : public ChatService {
    Q_OBJECT
public:
    explicit Goodgame(const ServiceDeps &deps);
    ~Goodgame() override;

    // The session's steps: a fresh socket, the chat login, the channel's id looked up, the
    // join, the chat.
    enum class Step { None, Connect, Auth, Channel, Login, Chat };
    Step step() const { return m_step; }
    // Frames from now on are read as at this step, of this protocol version: for replaying
    // recorded frames (a welcome frame among them sets the version too).
    void readFramesAt(Step step, int version = 2) {
        m_step = step;
        m_version = version;
    }
    int version() const { return m_version; }
    // A frame longer than this is dropped unread.
    static constexpr int kMaxFrameBytes = 1 << 20;

    // The channel's name as the server gave it at the join.
    QString channelName() const { return m_channelName; }
    // The smile catalogue by code.
    const QHash<QString, Smile> &smiles() const { return m_emotes; }

    QString id() const override { return QStringLiteral("goodgame"); }
    QString title() const override { return QStringLiteral("GoodGame"); }
    bool writes() const override { return true; }
    bool send(const QString &text) override;
    ServiceLook look() const override;
    QList<CredentialField> fields() const override;
    QList<EndpointKey> endpointKeys() const override;
    QList<SoundSlot> soundSlots() const override;
    void rehearse(const SoundSlot &slot, Rehearsal &draw) override;
    void stop() override { disconnectFromGoodgame(); }
    // Each second: the supervisor, and live lines that waited too long for the history.
    void tick() override;
    // The chat link's supervisor: keep-alive and reconnection.
    ServiceConnection &connection() override { return m_connection; }

    Q_INVOKABLE void connectToGoodgame(const QString &loginValue, const QString &passwordValue,
                                       const QString &channelValue);
    // Leaves the channel: the service line, then the socket is closed.
    Q_INVOKABLE void disconnectFromGoodgame();

    void loginToGoodgame();
    void authorizeOnGoodgame();
    void getAllChannels();
    void loginToChannel();
    void processMessage(const QString &json, bool in_test = false);
    void loadEmotes();
    MessageParts placeEmotes(const QString &text, const SmilePermissions &permissions) const;
    static MessageParts placeBadges();
    // The author's rank, which colours the nick, and the icon it earns.
    static QString rankOf(const Json &data, QString &icon);

protected:
    // From the login, password and channel as typed.
    void open() override;

private:
    // A whole new session: fresh socket, then chat login, auth and join as frames arrive.
    void openSession(bool again);
    void sendProbe();
    void send(const Json &frame);
    void releaseHeldLines();
    void advance(Json &frame, bool in_test);
    bool chooseChannel(const Json &data);
    bool joinAnswered(const Json &data);
    void requestHistory();
    void handleChatFrame(const QString &type, Json &data);
    void liveMessage(Json &data);
    void chatMessage(const Json &data);
    static Author::Role roleOf(const Json &data);
    void removeMessage(const Json &data);
    void ban(const Json &data);
    void warn(const Json &data);
    void moderation(const Json &data, const QString &text);
    void premium(const Json &data);
    void payment(const Json &data);
    void follower(const Json &data);
    void giftedPremiums(const Json &data);
    void teleport(const Json &data);
    void smileOnlyMode(const Json &data);
    void serverError(const Json &data);
    void channelHistory(const Json &data);
    void kingAlert(const QString &type, const QStringList &texts, bool voice,
                   const std::optional<QString> &mail = std::nullopt);
    void storeEmotes(const QByteArray &json);
    void serviceLine(const QString &text);
    static MessagePart rankText(const QString &rank, const QString &text);
    static MessagePart kingText(const QString &text);
    QString quotedChannel() const;

    Step m_step = Step::None;
    QString m_login;
    QString m_password;
    QString m_channel;
    std::optional<qint64> m_channelID = 0; // none when the channel value is no number
    QString m_channelName;
    Json m_user;
    QString m_token;
    QHash<QString, Smile> m_emotes;
    bool m_reconnecting = false;
    int m_version = 2;
    bool m_pingAnswered = false;
    ServiceDeps m_deps;
    std::unique_ptr<QWebSocket> m_socket;
    ServiceConnection m_connection;
    GapFill m_fill;
};
