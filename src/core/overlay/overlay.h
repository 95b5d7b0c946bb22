#pragma once

#include "common/json.h"
#include "overlay/overlayfeed.h"
#include "overlay/overlayserver.h"
#include "services/chatservice.h"

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

    // The services' looks the pages load, and the hosts those may load from.
    void setLook(const ServiceLook &look) { m_look = look; }

    // Kestro's own notes (joins, outages, room modes) reach the stream only when asked for;
    // an alert's line waits here until the alert plays.
    void chatLine(const RenderedLine &line);
    void moderate(const QString &key);
    void alertStarted(qint64 line);
    void alertEnded();

signals:
    void status(const QString &text);
    void changed();

private:
    OverlayServer::Options serverOptions() const;
    Json config() const;
    QList<Json> welcome() const;
    Json lineEvent(const RenderedLine &line) const;
    void settingsChanged();

    Utils &m_utils;
    OverlayFeed m_feed;
    OverlayServer m_server;
    QTimer m_release;
    ServiceLook m_look;
    QList<RenderedLine> m_alertLines; // the newest alerts' lines, until each plays
    QString m_alert;                  // the HTML of the alert playing now
    Json m_lastConfig;
};
