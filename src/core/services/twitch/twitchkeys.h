#pragma once

#include "net/endpoints.h"

// Where Twitch's fields are stored in settings.json.
namespace key {
inline constexpr const char *twitchHost = "/services/twitch/host";
inline constexpr const char *twitchPort = "/services/twitch/port";
inline constexpr const char *twitchLogin = "/services/twitch/login";
inline constexpr const char *twitchPassword = "/services/twitch/password";
inline constexpr const char *twitchChannel = "/services/twitch/channel";
} // namespace key

// The outside addresses Twitch's chat, badges and emote services are reached at.
namespace endpoint {
inline constexpr EndpointKey twitchChatHost{"twitchChatHost", "irc.chat.twitch.tv"};
inline constexpr EndpointKey twitchApi{"twitchApi", "https://api.twitch.tv"};
inline constexpr EndpointKey twitchIdApi{"twitchIdApi", "https://id.twitch.tv"};
inline constexpr EndpointKey twitchStaticCdn{"twitchStaticCdn", "https://static-cdn.jtvnw.net"};
inline constexpr EndpointKey bttvApi{"bttvApi", "https://api.betterttv.net"};
inline constexpr EndpointKey bttvCdn{"bttvCdn", "https://cdn.betterttv.net"};
inline constexpr EndpointKey ffzApi{"ffzApi", "https://api.frankerfacez.com"};
inline constexpr EndpointKey sevenTvApi{"sevenTvApi", "https://7tv.io"};
} // namespace endpoint
