#pragma once

#include "common/json.h"
#include "net/http.h"

#include <QUrl>

// A service's API under its site, each request with the login's token, which no log sees.
class BearerApi {
public:
    BearerApi(Http &http, QUrl site)
        : m_http(http)
        , m_site(std::move(site)) {}

    const QUrl &site() const { return m_site; }
    QUrl at(const QString &path, const QString &query = {}) const {
        QUrl url = m_site;
        url.setPath(m_site.path() + path);
        url.setQuery(query);
        return url;
    }
    void get(const QString &token, const QString &path, const QString &query,
             Http::Handler handler) const {
        m_http.get(at(path, query), std::move(handler), bearer(token));
    }
    void post(const QString &token, const QString &path, const Json &body, Http::Handler handler,
              const QString &query = {}) const {
        m_http.postJson(at(path, query), QByteArray::fromStdString(body.dump()), std::move(handler),
                        bearer(token));
    }

private:
    static Http::Headers bearer(const QString &token) {
        return {{"Authorization", "Bearer " + token.toUtf8()}};
    }

    Http &m_http;
    QUrl m_site;
};
