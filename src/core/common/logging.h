#pragma once

#include <QLoggingCategory>

// One diagnostics category per room, so a user can switch them with QT_LOGGING_RULES
// (for instance "kestro.twitch.debug=false" or "kestro.*=false").
Q_DECLARE_LOGGING_CATEGORY(lcAlerts)
Q_DECLARE_LOGGING_CATEGORY(lcChat)
Q_DECLARE_LOGGING_CATEGORY(lcDonationAlerts)
Q_DECLARE_LOGGING_CATEGORY(lcEmotes)
Q_DECLARE_LOGGING_CATEGORY(lcGoodgame)
Q_DECLARE_LOGGING_CATEGORY(lcNet)
Q_DECLARE_LOGGING_CATEGORY(lcOverlay)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcTwitch)
