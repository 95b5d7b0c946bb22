#include "connection/centrifugo.h"

#include "common/js.h"
#include "connection/droppedsocket.h"

#include <QWebSocket>

using js::member;
using js::textOf;

namespace {
// Version 2's methods by number; connect is the method without one.
int methodNumber(CentrifugoSession::Command command) {
    switch (command) {
    case CentrifugoSession::Command::Connect:
        break;
    case CentrifugoSession::Command::Subscribe:
        return 1;
    case CentrifugoSession::Command::Ping:
        return 7;
    case CentrifugoSession::Command::Refresh:
        return 10;
    }
    return 0;
}

const char *commandName(CentrifugoSession::Command command) {
    switch (command) {
    case CentrifugoSession::Command::Connect:
        break;
    case CentrifugoSession::Command::Subscribe:
        return "subscribe";
    case CentrifugoSession::Command::Ping:
        return "ping";
    case CentrifugoSession::Command::Refresh:
        return "refresh";
    }
    return "connect";
}

// Version 2's push kinds.
constexpr int kPublicationPush = 0;
constexpr int kDisconnectPush = 7;
} // namespace

CentrifugoSession::CentrifugoSession(Framing framing, QObject *parent)
    : QObject(parent)
    , m_framing(framing) {}

CentrifugoSession::~CentrifugoSession() {
    dropSocket(m_socket);
}

void CentrifugoSession::open(const QUrl &url) {
    close();
    m_socket = std::make_unique<QWebSocket>();
    QWebSocket *socket = m_socket.get();
    connect(socket, &QWebSocket::connected, this, &CentrifugoSession::opened);
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            [this, socket] { emit lost(0, socket->errorString()); });
    connect(socket, &QWebSocket::disconnected, this,
            [this, socket] { emit lost(int(socket->closeCode()), socket->closeReason()); });
    connect(socket, &QWebSocket::textMessageReceived, this, &CentrifugoSession::readFrame);
    socket->open(url);
}

void CentrifugoSession::close() {
    m_waiting.clear();
    m_pong = false;
    dropSocket(m_socket);
}

Json CentrifugoSession::frameOf(Command command, qint64 id, const Json &params) const {
    if (m_framing == Framing::V4)
        return Json{{"id", id}, {commandName(command), params.is_null() ? Json::object() : params}};
    Json frame = params.is_null() ? Json{{"id", id}} : Json{{"params", params}, {"id", id}};
    if (const int method = methodNumber(command))
        frame["method"] = method;
    return frame;
}

void CentrifugoSession::send(Command command, const Json &params, Reply done) {
    const qint64 id = ++m_lastId;
    if (done)
        m_waiting.insert(id, {command, std::move(done)});
    if (m_socket)
        m_socket->sendTextMessage(qstr(frameOf(command, id, params).dump()));
}

void CentrifugoSession::readFrame(const QString &frame) {
    if (frame.size() > kMaxFrameBytes)
        return emit badFrame(QStringLiteral("длиннее %1 КБ").arg(kMaxFrameBytes / 1024));
    emit traffic(frame);
    for (const QString &line : frame.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        bool tooDeep = false;
        const Json message = parseJson(line.toUtf8(), &tooDeep);
        if (tooDeep)
            emit badFrame(QStringLiteral("вложен глубже %1 уровней").arg(kMaxJsonDepth));
        else if (!message.is_object())
            emit badFrame(QStringLiteral("не разобран"));
        else
            handle(message);
    }
}

// A reply names its command by id; a push has none; version 4's empty message is a ping.
void CentrifugoSession::handle(const Json &message) {
    if (m_framing == Framing::V4 && message.empty()) {
        if (m_pong && m_socket)
            m_socket->sendTextMessage(QStringLiteral("{}"));
        return;
    }
    const std::optional<double> id = jsNumber(member(message, "id"));
    if (!id)
        return handlePush(m_framing == Framing::V4 ? member(message, "push")
                                                   : member(message, "result"));
    const auto waiting = m_waiting.find(qint64(*id));
    if (waiting == m_waiting.end())
        return;
    const auto [command, done] = waiting.value();
    m_waiting.erase(waiting);
    const Json &error = member(message, "error");
    if (!error.is_null())
        return emit refused(command, int(jsNumber(member(error, "code")).value_or(0)),
                            textOf(error, "message"));
    const Json &result = m_framing == Framing::V4 ? member(message, commandName(command))
                                                  : member(message, "result");
    if (command == Command::Connect && m_framing == Framing::V4)
        m_pong = member(result, "pong").is_boolean() && member(result, "pong").get<bool>();
    done(result);
}

void CentrifugoSession::handlePush(const Json &push) {
    if (m_framing == Framing::V4) {
        const Json &disconnect = member(push, "disconnect");
        if (disconnect.is_object())
            return emit lost(int(jsNumber(member(disconnect, "code")).value_or(0)),
                             textOf(disconnect, "reason"));
        const Json &pub = member(push, "pub");
        if (pub.is_object())
            emit publication(textOf(push, "channel"), member(pub, "data"));
        return;
    }
    const int type = int(jsNumber(member(push, "type")).value_or(kPublicationPush));
    if (type == kDisconnectPush)
        return emit lost(0, textOf(member(push, "data"), "reason"));
    if (type == kPublicationPush)
        emit publication(textOf(push, "channel"), member(member(push, "data"), "data"));
}
