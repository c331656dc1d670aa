#include "app/WebServer.h"

#include "app/Commands.h"
#include "settings/Ini.h"
#include "team/LocalNetwork.h"
#include "timer/RunningMatch.h"

#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>

#include <algorithm>

using commands::Verb;

namespace {

constexpr qsizetype kHeadLimit = 8 * 1024;
constexpr int kHeadTimeoutMs = 5000;
constexpr qint64 kMessageLimit = 1024;
constexpr int kMessagesPerSecond = 20;
constexpr qint64 kOldestTapMs = 2000; // a sync tap older than this counts now
constexpr size_t kMostPages = 200;

struct Resource {
    const char* path;
    const char* file;
    const char* type;
};
constexpr Resource kResources[] = {
    {"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/page.css", ":/web/page.css", "text/css; charset=utf-8"},
    {"/page.js", ":/web/page.js", "text/javascript; charset=utf-8"},
};

// The commands a page with the key may give.
constexpr Verb kPageVerbs[] = {Verb::Toggle, Verb::Reset, Verb::Sync, Verb::Nudge};

void answer(QTcpSocket* socket, const QByteArray& status, const QByteArray& type = "text/plain",
            QByteArray body = {})
{
    if (body.isEmpty())
        body = status + '\n';
    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                  "\r\nContent-Length: " + QByteArray::number(body.size()) +
                  "\r\nCache-Control: no-cache\r\nX-Content-Type-Options: nosniff"
                  "\r\nReferrer-Policy: no-referrer\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

} // namespace

WebServer::WebServer(RunningMatch& running, QObject* parent)
    : QObject(parent), running_(running),
      sockets_(QStringLiteral("zorvu-timer"), QWebSocketServer::NonSecureMode)
{
    connect(&tcp_, &QTcpServer::newConnection, this, &WebServer::arrived);
    connect(&sockets_, &QWebSocketServer::newConnection, this, &WebServer::opened);
    connect(&running_, &RunningMatch::changed, this, &WebServer::show);
}

WebServer::~WebServer()
{
    stop();
}

std::optional<QString> WebServer::start(quint16 port, bool lan)
{
    stop();
    port_ = port;
    lan_ = lan;
    if (key_.isEmpty())
        key_ = running_.match().settings.sWebKey;
    if (key_.isEmpty()) {
        // Kept, so that a phone's control link still works after a restart. Where it
        // cannot be kept, this run's key still works.
        key_ = makeKey();
        WriteIni(setting::section, QLatin1String(setting::of(&Settings::sWebKey).name), key_,
                 running_.files().settings);
    }
    if (!tcp_.listen(lan ? QHostAddress::Any : QHostAddress::LocalHost, port))
        return tr("Port %1 cannot be served: %2").arg(port).arg(tcp_.errorString());
    emit changed();
    return std::nullopt;
}

quint16 WebServer::chosenPort() const
{
    return port_ ? port_ : quint16(running_.match().settings.iWebPort);
}

bool WebServer::lan() const
{
    return port_ ? lan_ : running_.match().settings.bWebLan;
}

void WebServer::stop()
{
    const bool was = tcp_.isListening() || !pages_.empty();
    tcp_.close();
    for (const Page& page : std::exchange(pages_, {})) {
        page.socket->disconnect(this);
        page.socket->close(QWebSocketProtocol::CloseCodeGoingAway);
        page.socket->deleteLater();
    }
    if (was)
        emit changed();
}

QString WebServer::controlKey() const
{
    return key_.isEmpty() ? running_.match().settings.sWebKey : key_;
}

void WebServer::setControlKey(const QString& key)
{
    key_ = key;
    for (Page& page : pages_)
        if (page.control)
            page.socket->close(QWebSocketProtocol::CloseCodePolicyViolated,
                               QStringLiteral("The control key has changed."));
}

QString WebServer::makeKey()
{
    // 96 bits from the system's source, written for a URL.
    quint32 words[3];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(words), sizeof words)
                                   .toBase64(QByteArray::Base64UrlEncoding));
}

QStringList WebServer::addresses() const
{
    QStringList urls;
    const auto url = [this](const QString& host) {
        return QStringLiteral("http://%1:%2/").arg(host).arg(port());
    };
    if (!lan_)
        return {url(QStringLiteral("127.0.0.1"))};
    for (const QHostAddress& ip : localNetworkAddresses())
        urls << url(ip.toString());
    return urls.isEmpty() ? QStringList{url(QStringLiteral("127.0.0.1"))} : urls;
}

QJsonObject WebServer::status() const
{
    if (!isOn())
        return offStatus();
    return {{QStringLiteral("on"), true},
            {QStringLiteral("port"), port()},
            {QStringLiteral("lan"), lan_},
            {QStringLiteral("clients"), clients()}};
}

void WebServer::arrived()
{
    while (QTcpSocket* socket = tcp_.nextPendingConnection()) {
        socket->setParent(this);
        // A head that never ends holds nothing for long.
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, socket, &QTcpSocket::abort);
        deadline->start(kHeadTimeoutMs);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readHead(socket); });
        if (socket->bytesAvailable())
            readHead(socket);
    }
}

// Peeks, so that an upgrade's head is still there for the WebSocket server to read.
void WebServer::readHead(QTcpSocket* socket)
{
    const QByteArray seen = socket->peek(kHeadLimit + 1);
    const qsizetype end = seen.indexOf("\r\n\r\n");
    if (end < 0) {
        if (seen.size() > kHeadLimit) {
            socket->disconnect(this);
            answer(socket, "431 Request Header Fields Too Large");
        }
        return;
    }
    socket->disconnect(this);
    const QList<QByteArray> lines = seen.left(end).split('\n');
    const QList<QByteArray> request = lines.first().trimmed().split(' ');
    QMap<QByteArray, QByteArray> fields; // names in lower case
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            fields.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    if (request.size() != 3 || !request[2].startsWith("HTTP/1."))
        return answer(socket, "400 Bad Request");
    // Another site's page reaching this port by a name that leads here (DNS
    // rebinding) names its own host.
    if (!hostIsOurs(fields.value("host")))
        return answer(socket, "421 Misdirected Request");
    if (request[0] != "GET")
        return answer(socket, "405 Method Not Allowed");
    if (fields.value("content-length", "0") != "0" || fields.contains("transfer-encoding"))
        return answer(socket, "400 Bad Request");
    const QByteArray path = request[1].split('?').first();
    if (fields.value("upgrade").toLower() == "websocket" && path == "/socket") {
        // A page of another site open in the same browser sends its own origin.
        if (fields.value("origin") != "http://" + fields.value("host"))
            return answer(socket, "403 Forbidden");
        socket->findChild<QTimer*>()->deleteLater();
        socket->disconnect(socket);
        socket->setParent(nullptr);
        return sockets_.handleConnection(socket);
    }
    for (const Resource& r : kResources)
        if (path == r.path) {
            QFile file(QString::fromLatin1(r.file));
            file.open(QIODevice::ReadOnly);
            return answer(socket, "200 OK", r.type, file.readAll());
        }
    answer(socket, "404 Not Found");
}

bool WebServer::hostIsOurs(const QByteArray& host) const
{
    const qsizetype colon = host.lastIndexOf(':');
    if (colon < 0 || host.mid(colon + 1) != QByteArray::number(port()))
        return false;
    QString name = QString::fromLatin1(host.left(colon)).toLower();
    if (name.startsWith(QLatin1Char('[')))
        name = name.mid(1, name.size() - 2);
    if (!lan_)
        return name == QLatin1String("localhost") || QHostAddress(name).isLoopback();
    return isThisPc(name);
}

void WebServer::opened()
{
    while (QWebSocket* socket = sockets_.nextPendingConnection()) {
        socket->setParent(this);
        if (pages_.size() >= kMostPages) {
            socket->close(QWebSocketProtocol::CloseCodeGoingAway);
            continue;
        }
        socket->setMaxAllowedIncomingMessageSize(kMessageLimit);
        socket->setMaxAllowedIncomingFrameSize(kMessageLimit);
        const QString given = QUrlQuery(socket->requestUrl()).queryItemValue(QStringLiteral("key"));
        pages_.push_back({socket, !given.isEmpty() && given == key_});
        connect(socket, &QWebSocket::textMessageReceived, this, [this, socket](const QString& text) {
            const auto page = std::ranges::find(pages_, socket, &Page::socket);
            if (page != pages_.end())
                received(*page, text);
        });
        // Nothing here is binary: a page that sends it is not ours.
        connect(socket, &QWebSocket::binaryMessageReceived, socket,
                [socket] { socket->close(QWebSocketProtocol::CloseCodeDatatypeNotSupported); });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] {
            std::erase_if(pages_, [socket](const Page& p) { return p.socket == socket; });
            socket->deleteLater();
            emit changed();
        });
        const QJsonObject hello{{QStringLiteral("type"), QStringLiteral("hello")},
                                {QStringLiteral("version"), kProtocol},
                                {QStringLiteral("control"), pages_.back().control},
                                {QStringLiteral("now"), nowMs()}};
        socket->sendTextMessage(QString::fromUtf8(QJsonDocument(hello).toJson(QJsonDocument::Compact)));
        socket->sendTextMessage(state());
        emit changed();
    }
}

void WebServer::received(Page& page, const QString& text)
{
    const qint64 now = nowMs();
    if (now - page.windowStartMs >= 1000)
        page = {page.socket, page.control, now, 0};
    const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
    const QString type = message.value(QStringLiteral("type")).toString();
    auto reply = [&](QJsonObject json) {
        page.socket->sendTextMessage(
            QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)));
    };
    if (++page.inWindow > kMessagesPerSecond || (type != "ping" && type != "command"))
        return page.socket->close(QWebSocketProtocol::CloseCodePolicyViolated);
    if (type == QLatin1String("ping"))
        return reply({{QStringLiteral("type"), QStringLiteral("pong")},
                      {QStringLiteral("id"), message.value(QStringLiteral("id"))},
                      {QStringLiteral("now"), now}});
    const QString name = message.value(QStringLiteral("command")).toString();
    const auto verb = std::ranges::find_if(kPageVerbs, [&](Verb v) {
        return name == QLatin1String(commands::row(v).option);
    });
    auto refuse = [&](const QString& why) {
        reply({{QStringLiteral("type"), QStringLiteral("error")}, {QStringLiteral("message"), why}});
    };
    if (verb == std::end(kPageVerbs))
        return refuse(tr("'%1' is not a command of this page.").arg(name.left(40)));
    if (!page.control)
        return refuse(tr("This page only watches. Open the control link from the "
                         "Web View window to drive the clock."));
    const commands::Row& row = commands::row(*verb);
    commands::Command command{*verb, 0, message.value(QStringLiteral("value")).toVariant().toString()};
    if (row.read) {
        const auto value = row.read(command.text);
        if (!value)
            return refuse(tr("'%1' is not %2").arg(command.text.left(40), QLatin1String(row.expected)));
        command.value = *value;
    }
    if (*verb == Verb::Sync) {
        // The tap counts when it was made, on the page's estimate of this clock.
        const qint64 at = std::clamp(qint64(message.value(QStringLiteral("at")).toDouble(now)),
                                     now - kOldestTapMs, now);
        return running_.sync(at * 1000000);
    }
    commands::run(running_, command);
}

void WebServer::show(const Outcome& outcome)
{
    if (!outcome.changed || pages_.empty())
        return;
    const QString message = state();
    for (const Page& page : pages_)
        page.socket->sendTextMessage(message);
}

QString WebServer::state() const
{
    const Match& m = running_.match();
    QJsonObject json = commands::status(m);
    json.insert(QStringLiteral("type"), QStringLiteral("state"));
    json.insert(QStringLiteral("at"), running_.outcomeNs() / 1000000);
    json.insert(QStringLiteral("delay"), m.delayCaption ? QJsonValue(*m.delayCaption) : QJsonValue());
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

qint64 WebServer::nowMs() const
{
    return running_.nowNs() / 1000000;
}
