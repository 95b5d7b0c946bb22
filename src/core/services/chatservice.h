#pragma once

#include "connection/serviceconnection.h"
#include "net/endpoints.h"
#include "settings/soundslots.h"

#include <QObject>
#include <QStringList>
#include <QVariantList>

class BotLogger;
class ChatSink;
class Clock;
class Http;
class Random;
class Rehearsal;
class Utils;

// What a service needs of the rest of Kestro: where it delivers, its settings and logs, the
// network and the addresses, time and chance.
struct ServiceDeps {
    ChatSink &sink;
    Utils &utils;
    BotLogger &logger;
    Http &http;
    const Endpoints &endpoints;
    const Clock &clock;
    Random &random;
};

// One field the user types for a service: its entry in the form's fields, its caption
// (translated in the view's "ServicesForm" context), whether it is hidden while typed, and
// where it is stored with what it is before anything is, and a heading above it.
struct CredentialField {
    const char *name;
    const char *label;
    bool secret;
    const char *path;
    QString fallback = {};
    const char *heading = nullptr;
};

// An on/off choice of a service, shown under its fields: its entry in the form's fields, its
// caption (in the view's "ServicesForm" context), where it is stored and what it is before.
struct ServiceSwitch {
    const char *name;
    const char *label;
    const char *path;
    bool fallback;
};

// How a service's lines look on the pages beyond the shared styles: the style sheets the pages
// load for it (its own by a page-relative address, "looks/<id>/…", or its site's) and the
// hosts those load their fonts and sheets from. Its badge is "looks/<id>/badge.png"; its look
// folder holds both and is served to the window's pages and the overlay's alike.
struct ServiceLook {
    QStringList styleSheets;
    QStringList hosts;
};

// One chat service as the window sees it: its name, the user's start and stop, what it sends,
// the link it supervises itself, and the status line it writes. The protocol behind it is
// the service's own.
class ChatService : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString id READ id CONSTANT)
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)
    Q_PROPERTY(ServiceConnection *link READ link CONSTANT)
    Q_PROPERTY(QVariantList fields READ fieldModel CONSTANT)
    Q_PROPERTY(QVariantList switches READ switchModel CONSTANT)
    Q_PROPERTY(QVariantList soundSlots READ soundSlotRows CONSTANT)
    // The service's login, where it has one (the Services tab shows its controls).
    Q_PROPERTY(QObject *account READ accountObject CONSTANT)
public:
    explicit ChatService(Utils &settings, QObject *parent = nullptr);

    // Its settings group, CSS prefix and log label ("twitch").
    virtual QString id() const = 0;
    // As the window names it ("Twitch").
    virtual QString title() const = 0;
    // Its look on the pages, where it has more than its badge.
    virtual ServiceLook look() const { return {}; }
    // What the user types for it, in the order of its box on the Services tab.
    virtual QList<CredentialField> fields() const = 0;
    // Its on/off choices, under the fields.
    virtual QList<ServiceSwitch> switches() const { return {}; }
    // The outside addresses it talks to, each movable in endpoints.json.
    virtual QList<EndpointKey> endpointKeys() const = 0;
    // Its alerts' sound slots, in the order of its group on the Alerts tab.
    virtual QList<SoundSlot> soundSlots() const { return {}; }
    // The test of one of its slots: the event the service would deliver for that alert.
    virtual void rehearse(const SoundSlot &slot, Rehearsal &draw) {
        Q_UNUSED(slot)
        Q_UNUSED(draw)
    }
    virtual QObject *accountObject() { return nullptr; }
    // Once the settings are read: a stored login is taken up.
    virtual void restore() {}
    // The fields for the view: name, label, secret and heading of each.
    QVariantList fieldModel() const;
    // The switches for the view: name and label of each.
    QVariantList switchModel() const;
    // Its alerts' sound slots for the Alerts tab, in their order.
    QVariantList soundSlotRows() const;

    // The user's start: says which fields are missing instead of starting, or else stores them
    // and opens the service from the stored settings.
    void start();
    // The user's stop: the channel is left and nothing reconnects.
    virtual void stop() = 0;
    // Whether the streamer may write to its chat from the Chat tab.
    virtual bool writes() const { return false; }
    // Writes the streamer's text to the chat; false where nothing was sent. A line that the
    // chat sends back shows then; one it does not, the service shows itself.
    virtual bool send(const QString &text) {
        Q_UNUSED(text)
        return false;
    }
    // Each second: the link's supervisor looks at the link.
    virtual void tick() { connection().tick(); }

    virtual ServiceConnection &connection() = 0;
    ServiceConnection *link() { return &connection(); }
    // Whether the user wants it: the start button's state.
    bool running() const { return m_running; }

signals:
    // The Services tab status line.
    void status(const QString &text);
    void runningChanged();

protected:
    // Its fields, the stored rows it keeps besides them, and its sound slots join the settings:
    // once, when it is built.
    void declareSettings(const std::vector<SettingRow> &kept = {});
    // Whether the start waits for this field to be filled.
    virtual bool required(const CredentialField &field) const {
        Q_UNUSED(field)
        return true;
    }
    // Once the connection exists: running follows whether it is wanted.
    void followRunning();
    // The start, once the fields are filled and stored.
    virtual void open() = 0;

    Utils &m_settings;

private:
    bool m_running = false;
};
