#pragma once

#include <QString>
#include <QUrl>

// Every outside address Kestro talks to; the public services unless overridden.
struct Endpoints {
    QString twitchChatHost = QStringLiteral("irc.chat.twitch.tv");
    QUrl twitchApi{QStringLiteral("https://api.twitch.tv")};
    QUrl twitchIdApi{QStringLiteral("https://id.twitch.tv")};
    QUrl twitchStaticCdn{QStringLiteral("https://static-cdn.jtvnw.net")};
    QUrl bttvApi{QStringLiteral("https://api.betterttv.net")};
    QUrl bttvCdn{QStringLiteral("https://cdn.betterttv.net")};
    QUrl ffzApi{QStringLiteral("https://api.frankerfacez.com")};
    QUrl sevenTvApi{QStringLiteral("https://7tv.io")};
    QUrl goodgameChat{QStringLiteral("wss://chat.goodgame.ru/chat/websocket")};
    QUrl goodgameSite{QStringLiteral("https://goodgame.ru")};
    QUrl goodgameStatic{QStringLiteral("https://static.goodgame.ru")};
    QUrl relayFollowers;
    QUrl relaySpeech;

    Endpoints();

    // The defaults with the keys of an endpoints.json file applied; a broken file or a bad
    // value is reported on the debug console and leaves the defaults in place.
    static Endpoints fromFile(const QString &path);
    // The override file in the per-user data directory.
    static QString overridePath(const QString &dataDir);
};
