#pragma once

#include "common/json.h"
#include "overlay/overlayfeed.h"
#include "overlay/overlayserver.h"

#include <QObject>
#include <QTimer>

class Clock;
class Utils;

// The chat and the alerts on stream: the presenter's lines go to the overlay pages after the
// moderation delay, removed lines leave them, the alert playing now is shown while it plays.
// Its port, delay, line count, fading and network access come from the settings.
class Overlay : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString chatUrl READ chatUrl NOTIFY changed)
    Q_PROPERTY(QString alertsUrl READ alertsUrl NOTIFY changed)
public:
    Overlay(Utils &utils, const Clock &clock);

    // Listens as the settings say; a busy port is said in the status line.
    void start();
    QString chatUrl() const;
    QString alertsUrl() const;
    OverlayServer &server() { return m_server; }

    // Kestro's own notes (joins, outages, room modes) reach the stream only when asked for.
    void chatLine(const QString &html, const QStringList &keys, bool note);
    void moderate(const QString &key);
    void alertStarted(const QString &html);
    void alertEnded();

signals:
    void status(const QString &text);
    void changed();

private:
    OverlayServer::Options serverOptions() const;
    Json config() const;
    QList<Json> welcome() const;
    void settingsChanged();

    Utils &m_utils;
    OverlayFeed m_feed;
    OverlayServer m_server;
    QTimer m_release;
    QString m_alert; // the alert playing now, as the events view shows it
    Json m_lastConfig;
};
