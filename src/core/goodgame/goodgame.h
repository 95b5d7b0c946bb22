#pragma once

#include "chat/messagepart.h"
#include "common/json.h"

#include <QHash>
#include <QObject>
#include <QWebSocket>
#include <optional>

class BotLogger;
class Chat;
class Clock;
class Http;
class Page;
class Utils;
struct Endpoints;

// Everything the GoodGame client needs of the rest of Kestro.
struct GoodgameDeps {
    Chat &chat;
    Page &chatView;
    Utils &utils;
    BotLogger &logger;
    Http &http;
    const Endpoints &endpoints;
    const Clock &clock;
};

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

// The chat of one GoodGame channel: login, the JSON protocol, smiles and nick colours.
class Goodgame : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)
public:
    static constexpr qint64 SILENCE_LIMIT_MS = 120000;

    explicit Goodgame(const GoodgameDeps &deps);

    QString login;
    QString password;
    QString channel;
    std::optional<qint64> channelID = 0; // none when the channel value is no number
    QString channelName;
    Json user;
    QString token;
    QString state;
    QHash<QString, Smile> emotes;
    QHash<QString, QString> chatColors;
    bool reconnecting = false;
    qint64 lastServerMessage = 0;

    // Whether the chat socket is wanted open: the start button's state.
    bool active() const { return m_active; }

    Q_INVOKABLE void connectToGoodgame(const QString &loginValue, const QString &passwordValue,
                                       const QString &channelValue);
    // Leaves the channel: the service line, then the socket is closed.
    Q_INVOKABLE void disconnectFromGoodgame();
    // The watchdog step: after two silent minutes the join is sent again on the open socket.
    void keepAlive();

    void loginToGoodgame();
    void authorizeOnGoodgame();
    void getAllChannels();
    void loginToChannel();
    void processMessage(const QString &json, bool in_test = false);
    void loadEmotes();
    MessageParts placeEmotes(const QString &text, const SmilePermissions &permissions) const;
    static MessageParts placeBadges();
    QString whichColor(Json &data) const;

signals:
    // The Services tab status line.
    void status(const QString &text);
    void activeChanged(bool active);

private:
    void setActive(bool active);
    void send(const Json &frame);
    void onClosed();
    void advance(const Json &frame, bool in_test);
    bool chooseChannel(const Json &data);
    bool joinAnswered(const Json &data);
    void handleChatFrame(const QString &type, Json data);
    void chatMessage(Json data);
    void moderation(const Json &data, const QString &action, bool withDuration);
    void premium(const Json &data);
    void payment(const Json &data);
    void storeEmotes(const QByteArray &script);
    // In the catalogue's system colour unless another is given.
    void serviceLine(const QString &text, const QString &color = {});
    MessagePart kingText(const QString &text) const;

    GoodgameDeps m_deps;
    QWebSocket m_socket;
    bool m_active = false;
};
