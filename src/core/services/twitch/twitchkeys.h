#pragma once

#include "buildconfig.h"
#include "net/endpoints.h"

// Where Twitch's fields are stored in settings.json.
namespace key {
inline constexpr const char *twitchHost = "/services/twitch/host";
inline constexpr const char *twitchPort = "/services/twitch/port";
inline constexpr const char *twitchLogin = "/services/twitch/login";
inline constexpr const char *twitchPassword = "/services/twitch/password";
inline constexpr const char *twitchChannel = "/services/twitch/channel";
// The login's tokens, a record; the client id the user typed when the build has none.
inline constexpr const char *twitchAuth = "/services/twitch/auth";
inline constexpr const char *twitchClientId = "/services/twitch/client_id";
// Whether the chat's gap after a reconnection is read back.
inline constexpr const char *twitchHistory = "/services/twitch/history";
} // namespace key

// The outside addresses Twitch's chat, badges and emote services are reached at.
namespace endpoint {
inline constexpr EndpointKey twitchChatHost{"twitchChatHost", "irc.chat.twitch.tv"};
inline constexpr EndpointKey twitchApi{"twitchApi", "https://api.twitch.tv"};
inline constexpr EndpointKey twitchIdApi{"twitchIdApi", "https://id.twitch.tv"};
inline constexpr EndpointKey twitchEventSub{"twitchEventSub", "wss://eventsub.wss.twitch.tv/ws"};
// Not an address: the public application Kestro logs in as.
inline constexpr EndpointKey twitchClientId{"twitchClientId", KESTRO_TWITCH_CLIENT_ID};
inline constexpr EndpointKey twitchStaticCdn{"twitchStaticCdn", "https://static-cdn.jtvnw.net"};
inline constexpr EndpointKey bttvApi{"bttvApi", "https://api.betterttv.net"};
inline constexpr EndpointKey bttvCdn{"bttvCdn", "https://cdn.betterttv.net"};
inline constexpr EndpointKey ffzApi{"ffzApi", "https://api.frankerfacez.com"};
inline constexpr EndpointKey sevenTvApi{"sevenTvApi", "https://7tv.io"};
// The recent-messages service that keeps a channel's last lines; it learns the channel's name.
inline constexpr EndpointKey twitchHistory{"twitchHistory", "https://recent-messages.robotty.de"};
} // namespace endpoint
