#pragma once

#include <QHash>
#include <QJsonValue>
#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

// One outside address: its key in endpoints.json and the public service's address. The module
// that talks to it declares it; services list theirs.
struct EndpointKey {
    const char *name;
    const char *fallback;
};

namespace endpoint {
// The relay beside Kestro, for follower notifications and speech.
extern const EndpointKey relayFollowers;
extern const EndpointKey relaySpeech;
} // namespace endpoint

// Every outside address Kestro talks to: the public services unless endpoints.json moves one.
// An override that is not an address, or one no module declares, is reported on the debug
// console once and leaves the default in place.
class Endpoints {
public:
    QUrl url(const EndpointKey &key) const;
    // A host name key (the chat server's), trimmed.
    QString host(const EndpointKey &key) const;
    // A name without spaces (an application's client id), trimmed.
    QString word(const EndpointKey &key) const;
    // Moves one address as the file would: for loopback tests.
    void set(const EndpointKey &key, const QString &value);
    void set(const EndpointKey &key, const QUrl &value) { set(key, value.toString()); }
    // Reports the file's keys that none of these is.
    void reportUnknown(const QList<EndpointKey> &known) const;

    // The overrides of an endpoints.json file; a broken file is reported and moves nothing.
    static Endpoints fromFile(const QString &path);
    // The override file in the per-user data directory.
    static QString overridePath(const QString &dataDir);

private:
    // The override of a key when the check accepts it; reported once when it does not.
    QString overrideOf(const EndpointKey &key, bool (*accepts)(const QString &),
                       const char *what) const;

    QString m_path;
    QHash<QString, QJsonValue> m_overrides;
    mutable QSet<QString> m_reported;
    mutable QHash<QString, QUrl> m_urls;
};
