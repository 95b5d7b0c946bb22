#include "endpoints.h"

#include "buildconfig.h"
#include "common/json.h"
#include "common/logging.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
struct UrlKey {
    const char *name;
    QUrl Endpoints::*member;
};

const UrlKey kUrlKeys[] = {
    {"twitchApi", &Endpoints::twitchApi},
    {"twitchIdApi", &Endpoints::twitchIdApi},
    {"twitchStaticCdn", &Endpoints::twitchStaticCdn},
    {"bttvApi", &Endpoints::bttvApi},
    {"bttvCdn", &Endpoints::bttvCdn},
    {"ffzApi", &Endpoints::ffzApi},
    {"sevenTvApi", &Endpoints::sevenTvApi},
    {"goodgameChat", &Endpoints::goodgameChat},
    {"goodgameSite", &Endpoints::goodgameSite},
    {"goodgameStatic", &Endpoints::goodgameStatic},
    {"relayFollowers", &Endpoints::relayFollowers},
    {"relaySpeech", &Endpoints::relaySpeech},
};

void reject(const QString &path, const QString &reason) {
    qCWarning(lcNet).noquote() << "Endpoints: " + path + ": " + reason + ", ignored";
}

bool isServiceUrl(const QUrl &url) {
    return url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty();
}

void applyUrl(Endpoints &endpoints, const UrlKey &key, const QJsonValue &value,
              const QString &path) {
    const QUrl url(value.toString(), QUrl::StrictMode);
    if (!value.isString() || !isServiceUrl(url))
        return reject(path, QStringLiteral("\"%1\" is not an address").arg(key.name));
    endpoints.*key.member = url;
}

void applyKey(Endpoints &endpoints, const QString &key, const QJsonValue &value,
              const QString &path) {
    if (key == QLatin1String("twitchChatHost")) {
        if (!value.isString() || value.toString().trimmed().isEmpty())
            return reject(path, QStringLiteral("\"twitchChatHost\" is not a host name"));
        endpoints.twitchChatHost = value.toString().trimmed();
        return;
    }
    for (const UrlKey &urlKey : kUrlKeys) {
        if (key == QLatin1String(urlKey.name))
            return applyUrl(endpoints, urlKey, value, path);
    }
    reject(path, QStringLiteral("unknown key \"%1\"").arg(key));
}
} // namespace

Endpoints::Endpoints()
    : relayFollowers(QStringLiteral("ws://" KESTRO_RELAY_HOST ":8081/follows"))
    , relaySpeech(QStringLiteral("ws://" KESTRO_RELAY_HOST ":8082/tts")) {}

QString Endpoints::overridePath(const QString &dataDir) {
    return dataDir + QStringLiteral("/config/endpoints.json");
}

Endpoints Endpoints::fromFile(const QString &path) {
    Endpoints endpoints;
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
        applyKey(endpoints, it.key(), it.value(), path);
    return endpoints;
}
