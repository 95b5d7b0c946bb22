#include "overlayhttp.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <httplib.h>

namespace {
struct Source {
    const char *path;
    const char *resource;
    const char *type;
};

// The two pages are one template: its kind and title filled in.
struct PageKind {
    const char *path;
    const char *kind;
    const char *title;
};

const PageKind kPages[] = {
    {"/overlay/chat", "chat", "чат"},
    {"/overlay/alerts", "alerts", "алерты"},
};

const Source kSources[] = {
    {"/overlay/overlay.js", ":/web/overlay/overlay.js", "application/javascript; charset=utf-8"},
    {"/overlay/line.js", ":/web/js/line.js", "application/javascript; charset=utf-8"},
    {"/overlay/overlay.css", ":/web/overlay/overlay.css", "text/css; charset=utf-8"},
    {"/overlay/messages.css", ":/web/css/messages.css", "text/css; charset=utf-8"},
    {"/overlay/animations.css", ":/web/css/animations.css", "text/css; charset=utf-8"},
};

std::string readResource(const char *name) {
    QFile file(QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void fill(std::string &text, const std::string &mark, const std::string &value) {
    for (auto at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + value.size()))
        text.replace(at, mark.size(), value);
}

// The host the page was asked by, for its content policy; anything odd stands for loopback.
std::string pageHost(const httplib::Request &request) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9.-]+$"));
    QString host = QString::fromStdString(request.get_header_value("Host"));
    host = host.section(QLatin1Char(':'), 0, 0);
    return plain.match(host).hasMatch() ? host.toStdString() : std::string("127.0.0.1");
}
} // namespace

OverlayHttp::OverlayHttp(const QString &token, const QString &query, quint16 pushPort,
                         const QStringList &hosts)
    : m_server(std::make_unique<httplib::Server>())
    , m_token(token.toStdString())
    , m_pushPort(pushPort) {
    for (const QString &host : hosts)
        m_hosts += ' ' + host.toStdString();
    const std::string page = readResource(":/web/overlay/page.html");
    for (const PageKind &kind : kPages) {
        std::string body = page;
        fill(body, "%KIND%", kind.kind);
        fill(body, "%TITLE%", kind.title);
        // The page's own links carry the token, when one is asked.
        fill(body, "%QUERY%", query.toStdString());
        m_assets[kind.path] = {"text/html; charset=utf-8", std::move(body)};
    }
    for (const Source &source : kSources)
        m_assets[source.path] = {source.type, readResource(source.resource)};
    addLooks();
    route();
}

// Every service's look folder, at the address the lines name it by relative to the pages.
// They are the program's own public files, asked by lines that carry no token.
void OverlayHttp::addLooks() {
    const QString root = QStringLiteral(":/web/looks/");
    QDirIterator files(root, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const std::string type =
            file.endsWith(QLatin1String(".css")) ? "text/css; charset=utf-8" : "image/png";
        m_assets["/overlay/looks/" + file.mid(root.size()).toStdString()] = {
            type, readResource(qPrintable(file)), true};
    }
}

// A stop that comes before the loop runs would be lost: wait until it runs or gave up.
OverlayHttp::~OverlayHttp() {
    if (!m_thread.joinable())
        return;
    while (!m_server->is_running() && !m_finished)
        std::this_thread::yield();
    m_server->stop();
    m_thread.join();
}

// The socket is served from the moment it is bound, so that closing always releases it.
bool OverlayHttp::listen(const QString &host, quint16 port) {
    if (!m_server->bind_to_port(host.toStdString().c_str(), port))
        return false;
    m_thread = std::thread([this] {
        m_server->listen_after_bind();
        m_finished = true;
    });
    return true;
}

// Only GET (and HEAD) of a known path is answered: anything else is 404, a missing or wrong
// token where one is asked is 403, and no path reaches a file of the disk.
void OverlayHttp::route() {
    // One request a connection: a kept-alive browser connection would hold the stop for
    // seconds, and a page asks only a handful of files once.
    m_server->set_keep_alive_max_count(1);
    m_server->set_pre_routing_handler(
        [this](const httplib::Request &request, httplib::Response &response) {
            const bool known = m_assets.count(request.path) != 0;
            if ((request.method != "GET" && request.method != "HEAD") || !known) {
                response.status = 404;
                response.set_content("not found", "text/plain");
                return httplib::Server::HandlerResponse::Handled;
            }
            const Asset &asset = m_assets.at(request.path);
            if (!asset.open && !m_token.empty() && request.get_param_value("token") != m_token) {
                response.status = 403;
                response.set_content("forbidden", "text/plain");
                return httplib::Server::HandlerResponse::Handled;
            }
            response.set_header("Cache-Control", "no-store");
            response.set_header("X-Content-Type-Options", "nosniff");
            response.set_header("Content-Security-Policy",
                                "default-src 'none'; script-src 'self'; style-src 'self' "
                                "'unsafe-inline' https://fonts.googleapis.com" +
                                    m_hosts + "; font-src https://fonts.gstatic.com" + m_hosts +
                                    "; img-src 'self' https:; connect-src ws://" +
                                    pageHost(request) + ":" + std::to_string(m_pushPort));
            response.set_content(asset.body, asset.type.c_str());
            return httplib::Server::HandlerResponse::Handled;
        });
}
