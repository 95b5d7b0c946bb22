#include "endpoints.h"

#include "buildconfig.h"
#include "common/json.h"
#include "common/logging.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace endpoint {
const EndpointKey relayFollowers{"relayFollowers", "ws://" KESTRO_RELAY_HOST ":8081/follows"};
const EndpointKey relaySpeech{"relaySpeech", "ws://" KESTRO_RELAY_HOST ":8082/tts"};
} // namespace endpoint

namespace {
void reject(const QString &path, const QString &reason) {
    qCWarning(lcNet).noquote() << "Endpoints: " + path + ": " + reason + ", ignored";
}

bool isServiceUrl(const QString &text) {
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty();
}

bool isHostName(const QString &text) {
    return !text.trimmed().isEmpty();
}

bool isWord(const QString &text) {
    return isHostName(text) && !text.trimmed().contains(QLatin1Char(' '));
}
} // namespace

QString Endpoints::overrideOf(const EndpointKey &key, bool (*accepts)(const QString &),
                              const char *what) const {
    // A key the file does not name is no override (a missing hash entry would read as null).
    const auto found = m_overrides.constFind(QLatin1String(key.name));
    if (found == m_overrides.cend())
        return {};
    const QJsonValue &value = *found;
    if (value.isString() && accepts(value.toString()))
        return value.toString().trimmed();
    if (!m_reported.contains(QLatin1String(key.name))) {
        m_reported.insert(QLatin1String(key.name));
        reject(m_path, QStringLiteral("\"%1\" is not %2").arg(key.name, what));
    }
    return {};
}

// Emote and badge addresses are built from these per line: each is parsed once.
QUrl Endpoints::url(const EndpointKey &key) const {
    const QString name = QLatin1String(key.name);
    if (const auto known = m_urls.constFind(name); known != m_urls.cend())
        return *known;
    const QString moved = overrideOf(key, isServiceUrl, "an address");
    return *m_urls.insert(name, QUrl(moved.isEmpty() ? QString::fromUtf8(key.fallback) : moved));
}

QString Endpoints::host(const EndpointKey &key) const {
    const QString moved = overrideOf(key, isHostName, "a host name");
    return moved.isEmpty() ? QString::fromUtf8(key.fallback) : moved;
}

QString Endpoints::word(const EndpointKey &key) const {
    const QString moved = overrideOf(key, isWord, "a name");
    return moved.isEmpty() ? QString::fromUtf8(key.fallback) : moved;
}

void Endpoints::set(const EndpointKey &key, const QString &value) {
    m_overrides.insert(QLatin1String(key.name), value);
    m_urls.remove(QLatin1String(key.name));
}

void Endpoints::reportUnknown(const QList<EndpointKey> &known) const {
    QSet<QString> names;
    for (const EndpointKey &key : known)
        names.insert(QLatin1String(key.name));
    for (auto it = m_overrides.cbegin(); it != m_overrides.cend(); ++it) {
        if (!names.contains(it.key()))
            reject(m_path, QStringLiteral("unknown key \"%1\"").arg(it.key()));
    }
}

QString Endpoints::overridePath(const QString &dataDir) {
    return dataDir + QStringLiteral("/config/endpoints.json");
}

Endpoints Endpoints::fromFile(const QString &path) {
    Endpoints endpoints;
    endpoints.m_path = path;
    QFile file(path);
    if (!file.exists())
        return endpoints;
    if (!file.open(QIODevice::ReadOnly)) {
        reject(path, file.errorString());
        return endpoints;
    }
    const QByteArray text = file.readAll();
    if (!jsonDepthWithin(text)) {
        reject(path, QStringLiteral("nested deeper than %1 levels").arg(kMaxJsonDepth));
        return endpoints;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (!document.isObject()) {
        reject(path, error.error != QJsonParseError::NoError ? error.errorString()
                                                             : QStringLiteral("not an object"));
        return endpoints;
    }
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it)
        endpoints.m_overrides.insert(it.key(), it.value());
    return endpoints;
}
