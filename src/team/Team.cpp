#include "team/Team.h"

#include "settings/Ini.h"
#include "settings/Settings.h"
#include "team/LocalNetwork.h"
#include "team/Protocol.h"
#include "timer/RunningMatch.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kCodeDigits = 8;
constexpr int kMaxFollowers = 32;
constexpr int kJoinWithinMs = 5000; // a connection holds a place only this long unjoined

void closed(const char* why)
{
    qWarning("team: a follower's link closed: %s", why);
}

QString frameText(const QByteArray& frame)
{
    return QString::fromUtf8(frame);
}

double ms(qint64 ns)
{
    return std::round(double(ns) / 1e5) / 10; // to a tenth of a ms
}

} // namespace

Team::Team(RunningMatch& running, TickClocks& clocks, QObject* parent)
    : QObject(parent), running_(running), clocks_(clocks),
      sockets_(QStringLiteral("zorvu-timer team"), QWebSocketServer::NonSecureMode)
{
    connect(&tcp_, &QTcpServer::newConnection, this, &Team::arrived);
    connect(&sockets_, &QWebSocketServer::newConnection, this, &Team::opened);
    connect(&running_, &RunningMatch::changed, this, &Team::broadcast);
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &Team::connectToLeader);
    silence_.setSingleShot(true);
    connect(&silence_, &QTimer::timeout, this, [this] {
        qWarning("team: the leader has been silent for %d ms", kSilentMs);
        leaderGone();
    });
    QTimer::singleShot(0, this, [this] { discovery(); });
}

team::Discovery& Team::discovery()
{
    if (!discovery_)
        discovery_ = std::make_unique<team::Discovery>();
    return *discovery_;
}

Team::~Team()
{
    leave();
}

// ---------------------------------------------------------------- leading

std::optional<QString> Team::lead(quint16 port)
{
    if (!port)
        port = quint16(running_.match().settings.iTeamPort);
    if (role_ == Role::Leader && port == tcp_.serverPort())
        return std::nullopt;
    leave();
    if (code().isEmpty())
        newCode();
    if (!tcp_.listen(QHostAddress::Any, port))
        return tr("Port %1 cannot be served: %2").arg(port).arg(tcp_.errorString());
    role_ = Role::Leader;
    discovery().publish(tcp_.serverPort());
    emit changed();
    return std::nullopt;
}

int Team::followers() const
{
    return int(
        std::ranges::count_if(followers_, [](const Follower& f) { return f.link->joined(); }));
}

QString Team::code() const
{
    if (!code_.isEmpty())
        return code_;
    return running_.match().settings.sTeamCode;
}

void Team::setFollowersMayDrive(bool may)
{
    running_.setTeamDrive(may);
}

void Team::newCode()
{
    code_ = makeCode();
    WriteIni(setting::section, QStringLiteral("teamcode"), code_, running_.files().settings);
    stopLeading(tr("The join code has changed."));
    emit changed();
}

QString Team::makeCode()
{
    QString code;
    for (int i = 0; i < kCodeDigits; ++i)
        code += QChar(u'0' + QRandomGenerator::system()->bounded(10));
    return code;
}

void Team::arrived()
{
    while (QTcpSocket* socket = tcp_.nextPendingConnection()) {
        // Turned away before any handshake: a burst of connections costs little.
        if (followers_.size() >= kMaxFollowers ||
            !tries_.admit(socket->peerAddress(), running_.nowNs())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // The server does not set it on the sockets it takes: each tick's state goes
        // at once, not held back to join the next.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        sockets_.handleConnection(socket);
    }
}

void Team::opened()
{
    while (QWebSocket* socket = sockets_.nextPendingConnection()) {
        socket->setParent(this);
        socket->setMaxAllowedIncomingMessageSize(team::protocol::kMessageLimit);
        socket->setMaxAllowedIncomingFrameSize(team::protocol::kMessageLimit);
        team::Wire wire{
            [socket](const QByteArray& frame) { socket->sendTextMessage(frameText(frame)); },
            [socket](const QString& why) {
                closed(qPrintable(why));
                socket->close(QWebSocketProtocol::CloseCodePolicyViolated, why.left(100));
            }};
        followers_.push_back({socket, std::make_unique<team::LeaderLink>(
                                          running_, code(), QHostInfo::localHostName(), wire)});
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, socket](const QString& text) {
                    const auto f = std::ranges::find(followers_, socket, &Follower::socket);
                    const bool was = f != followers_.end() && f->link->joined();
                    if (f != followers_.end())
                        f->link->received(text.toUtf8());
                    if (!was && f != followers_.end() && f->link->joined()) {
                        tries_.joined(socket->peerAddress());
                        emit changed();
                    }
                });
        connect(socket, &QWebSocket::binaryMessageReceived, socket, [socket] {
            closed("a binary message");
            socket->close(QWebSocketProtocol::CloseCodeDatatypeNotSupported);
        });
        QTimer::singleShot(kJoinWithinMs, socket, [this, socket, wire] {
            const auto f = std::ranges::find(followers_, socket, &Follower::socket);
            if (f != followers_.end() && !f->link->joined())
                wire.close(QStringLiteral("no join in time"));
        });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] {
            // The socket closes a message over the limit itself.
            if (socket->closeCode() == QWebSocketProtocol::CloseCodeTooMuchData)
                closed("a message too large");
            std::erase_if(followers_, [socket](const Follower& f) { return f.socket == socket; });
            socket->deleteLater();
            emit changed();
        });
    }
}

void Team::broadcast()
{
    for (const Follower& f : followers_)
        f.link->shown();
}

void Team::stopLeading(const QString& why)
{
    for (const Follower& f : std::exchange(followers_, {})) {
        f.socket->disconnect(this);
        f.socket->close(QWebSocketProtocol::CloseCodeGoingAway, why);
        f.socket->deleteLater();
    }
}

// ---------------------------------------------------------------- following

std::optional<QString> Team::follow(const QString& host, quint16 port, const QString& code)
{
    if (role_ == Role::Leader && port == this->port() && isThisPc(host))
        return tr("This PC leads the team at %1: it cannot follow itself.").arg(host);
    if (role_ == Role::Leader)
        stopLeading(tr("The leader has stopped leading, to follow another PC."));
    leave();
    role_ = Role::Follower;
    host_ = host;
    leaderPort_ = port;
    followCode_ = code;
    running_.forwardTo([this](const RunningMatch::Request& request) {
        // While the leader is lost, this PC's commands are its own.
        link_ && link_->joined() ? link_->send(request) : running_.perform(request);
    });
    connectToLeader();
    emit changed();
    return std::nullopt;
}

void Team::connectToLeader()
{
    if (role_ != Role::Follower)
        return;
    if (leader_) {
        leader_->disconnect(this);
        leader_->abort();
        leader_->deleteLater();
    }
    dropLink();
    auto* socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    leader_ = socket;
    socket->setMaxAllowedIncomingMessageSize(team::protocol::kMessageLimit);
    team::Wire wire{
        [socket](const QByteArray& frame) { socket->sendTextMessage(frameText(frame)); },
        [socket](const QString& why) {
            qWarning("team: the leader's link closed: %s", qPrintable(why));
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, why.left(100));
        }};
    link_ = std::make_unique<team::FollowerLink>(running_, clocks_, followCode_, wire);
    connect(link_.get(), &team::FollowerLink::changed, this, [this] {
        if (link_->aligned())
            lost_ = false;
        emit changed();
    });
    connect(link_.get(), &team::FollowerLink::notice, this, &Team::notice);
    connect(link_.get(), &team::FollowerLink::refused, this, [this](const QString& why) {
        qWarning("team: refused: %s", qPrintable(why));
        stopFollowing();
        emit notice(why);
        emit changed();
    });
    connect(socket, &QWebSocket::textMessageReceived, this, [this](const QString& text) {
        silence_.start(kSilentMs);
        if (link_)
            link_->received(text.toUtf8());
    });
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
        // The leader said why: it has left, follows another PC, or has a new code.
        if (socket->closeCode() == QWebSocketProtocol::CloseCodeGoingAway &&
            !socket->closeReason().isEmpty())
            emit notice(socket->closeReason());
        leaderGone();
    });
    silence_.start(kSilentMs);
    QUrl url;
    url.setScheme(QStringLiteral("ws"));
    url.setHost(host_);
    url.setPort(leaderPort_);
    url.setPath(QStringLiteral("/"));
    socket->open(url);
}

// Counting goes on at the last phase; the leader is tried again.
void Team::leaderGone()
{
    silence_.stop();
    lost_ = lost_ || (link_ && link_->joined());
    if (leader_) {
        leader_->disconnect(this);
        leader_->abort();
        leader_->deleteLater();
    }
    dropLink();
    if (role_ == Role::Follower)
        retry_.start(kRetryMs);
    emit changed();
}

void Team::stopFollowing()
{
    retry_.stop();
    silence_.stop();
    lost_ = false;
    running_.forwardTo({});
    dropLink();
    if (leader_) {
        leader_->disconnect(this);
        leader_->close(QWebSocketProtocol::CloseCodeNormal);
        leader_->deleteLater();
    }
    role_ = Role::None;
}

// It may be the one that called.
void Team::dropLink()
{
    if (link_) {
        link_->disconnect(this);
        running_.disconnect(link_.get());
        link_.release()->deleteLater();
    }
}

// ---------------------------------------------------------------- either

void Team::leave()
{
    const Role was = std::exchange(role_, Role::None);
    if (was == Role::Leader) {
        stopLeading(tr("The leader has left."));
        tcp_.close();
        if (discovery_)
            discovery_->unpublish();
    }
    if (was == Role::Follower) {
        role_ = Role::Follower;
        stopFollowing();
    }
    if (was != Role::None)
        emit changed();
}

QJsonObject Team::status() const
{
    switch (role_) {
    case Role::None:
        break;
    case Role::Leader:
        return {{"role", "leader"}, {"port", port()}, {"code", code()}, {"followers", followers()}};
    case Role::Follower: {
        const bool connected = link_ && link_->aligned();
        const auto estimate = link_ ? link_->estimate() : std::nullopt;
        const QString host = host_.contains(':') ? '[' + host_ + ']' : host_;
        return {{"role", "follower"},
                {"leader", QStringLiteral("%1:%2").arg(host).arg(leaderPort_)},
                {"connected", connected},
                {"offset_ms",
                 estimate && connected ? QJsonValue(ms(estimate->offsetNs)) : QJsonValue()},
                {"rtt_ms", estimate && connected ? QJsonValue(ms(estimate->rttNs)) : QJsonValue()},
                {"in_step", connected && link_->inStep()}};
    }
    }
    return {{"role", "none"}};
}

std::optional<std::pair<QString, quint16>> Team::address(const QString& text)
{
    QString host = text.trimmed();
    quint16 port = team::protocol::kDefaultPort;
    const qsizetype colon = host.lastIndexOf(':');
    if (host.startsWith('[')) {
        const qsizetype close = host.indexOf(']');
        if (close < 0 || (close + 1 < host.size() && host[close + 1] != ':'))
            return std::nullopt;
        if (close + 1 < host.size()) {
            bool ok = false;
            const int p = host.mid(close + 2).toInt(&ok);
            if (!ok || p < 1 || p > 65535)
                return std::nullopt;
            port = quint16(p);
        }
        host = host.mid(1, close - 1);
        if (QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol)
            return std::nullopt;
    } else if (colon > 0 && host.indexOf(':') == colon) {
        bool ok = false;
        const int p = host.mid(colon + 1).toInt(&ok);
        if (!ok || p < 1 || p > 65535)
            return std::nullopt;
        port = quint16(p);
        host = host.left(colon);
    } else if (colon >= 0 && QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol) {
        return std::nullopt;
    }
    // A name or an address; nothing that could end the URL early.
    if (host.isEmpty() || host.contains(QRegularExpression(QStringLiteral("[/?#@\\s]"))))
        return std::nullopt;
    return std::pair{host, port};
}
