#pragma once

// Where Twitch's fields are stored in settings.json.
namespace key {
inline constexpr const char *twitchHost = "/services/twitch/host";
inline constexpr const char *twitchPort = "/services/twitch/port";
inline constexpr const char *twitchLogin = "/services/twitch/login";
inline constexpr const char *twitchPassword = "/services/twitch/password";
inline constexpr const char *twitchChannel = "/services/twitch/channel";
} // namespace key
