#include "logging.h"

Q_LOGGING_CATEGORY(lcAlerts, "kestro.alerts")
Q_LOGGING_CATEGORY(lcChat, "kestro.chat")
Q_LOGGING_CATEGORY(lcEmotes, "kestro.emotes")
Q_LOGGING_CATEGORY(lcDonationAlerts, "kestro.donationalerts")
Q_LOGGING_CATEGORY(lcGoodgame, "kestro.goodgame")
Q_LOGGING_CATEGORY(lcNet, "kestro.net")
Q_LOGGING_CATEGORY(lcOverlay, "kestro.overlay")
Q_LOGGING_CATEGORY(lcSettings, "kestro.settings")
Q_LOGGING_CATEGORY(lcTwitch, "kestro.twitch")
