#include "team/Link.h"

#include "team/Protocol.h"

#include <QJsonValue>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace team {
namespace {

using protocol::kVersion;
using Came = RunningMatch::Came;

constexpr qint64 kOldestSyncNs = 2000000000; // a sync pressed longer ago counts now
const char* const kCame[] = {"joined", "tick", "command"};

// Compared whole, not up to the first difference.
bool same(const QByteArray& a, const QByteArray& b)
{
    unsigned differ = a.size() ^ b.size();
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        differ |= unsigned(a[i] ^ b[i]);
    return differ == 0;
}

} // namespace

// ---------------------------------------------------------------- the leader's end

LeaderLink::LeaderLink(RunningMatch& running, const QString& code, const QString& name, Wire wire)
    : running_(running), code_(code), wire_(std::move(wire)), nonce_(protocol::nonce())
{
    wire_.send(protocol::plain({{"type", "hello"},
                                {"v", kVersion},
                                {"nonce", QString::fromLatin1(nonce_)},
                                {"name", name}}));
}

void LeaderLink::received(const QByteArray& frame)
{
    if (shut_)
        return;
    if (!frames_.take(running_.nowNs()))
        return shut(QStringLiteral("too many messages"));
    if (!joined_) {
        const auto join = protocol::readPlain(frame);
        if (!join || (*join)["type"].toString() != "join")
            return shut(QStringLiteral("not a join"));
        if ((*join)["v"].toInt() != kVersion)
            return refuse(QStringLiteral("version"),
                          QObject::tr("This leader speaks team protocol %1 and the follower %2: "
                                      "run the same version of Zorvu Timer on both PCs.")
                              .arg(kVersion)
                              .arg((*join)["v"].toInt()));
        const protocol::Keys keys =
            protocol::keys(code_, nonce_, (*join)["nonce"].toString().toLatin1());
        if (!same(QByteArray::fromHex((*join)["proof"].toString().toLatin1()), keys.proof))
            return refuse(QStringLiteral("code"), QObject::tr("Wrong join code."));
        joined_ = true;
        inKey_ = keys.toLeader;
        outKey_ = keys.toFollower;
        send({{"type", "welcome"}});
        return send(state(Came::Joined));
    }
    const auto message = protocol::readSigned(inKey_, frame);
    if (!message || (*message)["n"].toInteger() != ++inCount_)
        return shut(QStringLiteral("a frame not signed, or out of order"));
    const QString type = (*message)["type"].toString();
    const qint64 now = running_.nowNs();
    if (type == "ping")
        return send({{"type", "pong"}, {"id", (*message)["id"]}, {"t0", (*message)["t0"]},
                     {"t1", now}});
    if (type == "offer")
        return taken(*message);
    auto request = protocol::requestFrom(*message);
    if (type != "command" || !request)
        return shut(QStringLiteral("an unknown message"));
    if (!running_.match().settings.bTeamDrive)
        return send(
            {{"type", "notice"},
             {"message", QObject::tr("The leader does not let followers drive the clock.")}});
    if (request->atNs)
        request->atNs = std::clamp(*request->atNs, now - kOldestSyncNs, now);
    running_.perform(*request);
}

// A follower's match, offered to a leader that has none: one back after a crash
// takes the match its followers kept counting.
void LeaderLink::taken(const QJsonObject& offer)
{
    const auto state = protocol::sharedFrom(offer["match"]);
    if (!state || offer["serial"].toInteger() < 0)
        return shut(QStringLiteral("a malformed offer"));
    if (running_.fresh())
        running_.follow(*state, quint64(offer["serial"].toInteger()),
                        protocol::nsFrom(offer["next"]), Came::Joined);
}

void LeaderLink::shown()
{
    if (joined_)
        send(state(running_.ticksRun() != serial_ ? Came::Tick : Came::Command));
}

QJsonObject LeaderLink::state(Came came)
{
    const auto next = running_.nextTickNs();
    serial_ = running_.ticksRun();
    return {{"type", "state"},
            {"came", kCame[int(came)]},
            {"serial", qint64(serial_)},
            {"next", next ? QJsonValue(*next) : QJsonValue()},
            {"fresh", running_.fresh()},
            {"match", protocol::toJson(running_.match().shared())}};
}

void LeaderLink::send(QJsonObject message)
{
    message.insert("n", ++outCount_);
    wire_.send(protocol::sign(outKey_, message));
}

// Nothing more is taken from a link that broke a rule.
void LeaderLink::shut(const QString& why)
{
    shut_ = true;
    wire_.close(why);
}

void LeaderLink::refuse(const QString& reason, const QString& why)
{
    wire_.send(protocol::plain(
        {{"type", "refused"}, {"reason", reason}, {"v", kVersion}, {"message", why}}));
    shut(why);
}

// ---------------------------------------------------------------- a follower's end

FollowerLink::FollowerLink(RunningMatch& running, TickClocks& clocks, const QString& code,
                           Wire wire)
    : running_(running), clock_(clocks.make()), code_(code), wire_(std::move(wire)),
      nonce_(protocol::nonce())
{
    connect(&running_, &RunningMatch::resumed, this, &FollowerLink::resync);
}

FollowerLink::~FollowerLink()
{
    clock_->cancel();
}

void FollowerLink::received(const QByteArray& frame)
{
    if (shut_)
        return;
    const auto message = inKey_.isEmpty() ? std::nullopt : protocol::readSigned(inKey_, frame);
    if (!message) {
        const auto plain = joined_ ? std::nullopt : protocol::readPlain(frame);
        const QString type = plain ? (*plain)["type"].toString() : QString();
        // Told first: the owner stops trying before the link closes.
        if (type == "refused") {
            emit refused((*plain)["message"].toString().left(200));
            return shut(QStringLiteral("refused"));
        }
        if (type != "hello" || !inKey_.isEmpty())
            return shut(QStringLiteral("a frame not signed, or out of order"));
        if ((*plain)["v"].toInt() != kVersion) {
            emit refused(tr("The leader speaks team protocol %1 and this PC %2: run the "
                            "same version of Zorvu Timer on both PCs.")
                             .arg((*plain)["v"].toInt())
                             .arg(kVersion));
            return shut(QStringLiteral("version"));
        }
        leaderName_ = (*plain)["name"].toString().left(64);
        const protocol::Keys keys =
            protocol::keys(code_, (*plain)["nonce"].toString().toLatin1(), nonce_);
        inKey_ = keys.toFollower;
        outKey_ = keys.toLeader;
        return wire_.send(protocol::plain({{"type", "join"},
                                           {"v", kVersion},
                                           {"nonce", QString::fromLatin1(nonce_)},
                                           {"proof", QString::fromLatin1(keys.proof.toHex())}}));
    }
    if ((*message)["n"].toInteger() != ++inCount_)
        return shut(QStringLiteral("a frame out of order"));
    running_.checkResumed(); // before a state lands on an offset gone stale
    const QString type = (*message)["type"].toString();
    if (type == "welcome" && !joined_) {
        joined_ = true;
        pingsLeft_ = kBurst;
        ping();
        emit changed();
    } else if (type == "pong" && joined_) {
        pinged(*message);
    } else if (type == "state" && joined_) {
        take(*message);
    } else if (type == "notice" && joined_) {
        emit notice((*message)["message"].toString().left(200));
    } else {
        shut(QStringLiteral("an unknown message"));
    }
}

void FollowerLink::send(const RunningMatch::Request& request)
{
    if (!joined_)
        return emit notice(tr("Not connected to the leader."));
    RunningMatch::Request r = request;
    if (r.kind == RunningMatch::Request::Sync) {
        const auto estimate = filter_.estimate();
        r.atNs = estimate ? std::optional(r.atNs.value_or(running_.nowNs()) + estimate->offsetNs)
                          : std::nullopt;
    }
    sendSigned(protocol::toJson(r));
}

void FollowerLink::sendSigned(QJsonObject message)
{
    message.insert("n", ++outCount_);
    wire_.send(protocol::sign(outKey_, message));
}

void FollowerLink::shut(const QString& why)
{
    shut_ = true;
    clock_->cancel();
    wire_.close(why);
}

void FollowerLink::ping()
{
    if (pingsLeft_ == 0) {
        filter_.endBurst();
        measured_ = true;
        clock_->wakeAfter(kBurstEveryMs, [this] {
            pingsLeft_ = kBurst;
            ping();
        });
        if (held_)
            take(*std::exchange(held_, std::nullopt));
        return emit changed();
    }
    --pingsLeft_;
    sendSigned({{"type", "ping"}, {"id", ++pingId_}, {"t0", running_.nowNs()}});
    // An answer lost moves on to the next ping.
    clock_->wakeAfter(kPingTimeoutMs, [this] { ping(); });
}

// After a suspend the leader's clock is farther ahead of ours by the time asleep:
// a new burst measures it, and the next state lands as on joining.
void FollowerLink::resync()
{
    if (!joined_)
        return;
    filter_.clear();
    measured_ = aligned_ = inStep_ = false;
    pingsLeft_ = kBurst;
    ping();
    emit changed();
}

void FollowerLink::pinged(const QJsonObject& pong)
{
    if (pong["id"].toInt() != pingId_)
        return; // too late: its ping timed out
    filter_.add(protocol::nsFrom(pong["t0"]), protocol::nsFrom(pong["t1"]), running_.nowNs());
    ping();
}

void FollowerLink::take(const QJsonObject& message)
{
    const auto state = protocol::sharedFrom(message["match"]);
    const QString came = message["came"].toString();
    const auto kind = std::ranges::find(kCame, came);
    if (!state || kind == std::end(kCame) || message["serial"].toInteger() < 0)
        return shut(QStringLiteral("a malformed state"));
    const auto estimate = filter_.estimate();
    const qint64 next = protocol::nsFrom(message["next"]) - (estimate ? estimate->offsetNs : 0);
    // Until the first burst is done, and while the one kept is past, the next state
    // is waited for.
    if (!estimate || !measured_ || (!aligned_ && state->running && next <= running_.nowNs())) {
        held_ = message;
        return;
    }
    // A leader with no match yet (back after a crash) is offered ours, and takes it.
    if (!aligned_ && message["fresh"].toBool() && !running_.fresh()) {
        const auto ours = running_.nextTickNs();
        if (!std::exchange(offered_, true))
            sendSigned({{"type", "offer"},
                        {"serial", qint64(running_.ticksRun())},
                        {"next", ours ? QJsonValue(*ours + estimate->offsetNs) : QJsonValue()},
                        {"match", protocol::toJson(running_.match().shared())}});
        return;
    }
    running_.follow(*state, quint64(message["serial"].toInteger()), next,
                    aligned_ ? Came(kind - std::begin(kCame)) : Came::Joined);
    aligned_ = true;
    const auto ours = running_.nextTickNs();
    inStep_ = !ours || std::abs(*ours - next) <= kInStepNs;
    emit changed();
}

} // namespace team
