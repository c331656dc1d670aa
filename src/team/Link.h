#pragma once

#include "platform/DeadlineTimer.h"
#include "team/Limits.h"
#include "team/OffsetFilter.h"
#include "timer/RunningMatch.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The two ends of a team's link, apart from the transport that carries their
// frames: the handshake, the signed and numbered messages, the clock offset, and
// what each end does with what it is told. A link that breaks a rule closes, with
// the reason; what to do next is up to its owner.
namespace team {

struct Wire {
    std::function<void(const QByteArray& frame)> send;
    std::function<void(const QString& why)> close;
};

// The leader's end of one follower's link.
class LeaderLink {
public:
    // A follower's frames: its pings come eight to a burst every few seconds and
    // its commands at a player's pace; a link that sends more is flooding.
    static constexpr int kFrameBurst = 40;
    static constexpr qint64 kFrameEveryNs = 50'000'000;

    LeaderLink(RunningMatch& running, const QString& code, const QString& name, Wire wire);

    void received(const QByteArray& frame);
    bool joined() const { return joined_; }
    // The running match has changed: its state goes to the follower, as after a
    // tick when the count of ticks has moved, else as after a command.
    void shown();
    void send(QJsonObject message);

private:
    void refuse(const QString& reason, const QString& why);
    void shut(const QString& why);
    void taken(const QJsonObject& offer);
    QJsonObject state(RunningMatch::Came came);

    RunningMatch& running_;
    QString code_;
    Wire wire_;
    QByteArray nonce_;
    QByteArray inKey_, outKey_;
    qint64 inCount_ = 0, outCount_ = 0;
    bool joined_ = false, shut_ = false;
    quint64 serial_ = 0; // the count of ticks last sent
    Bucket frames_{kFrameBurst, kFrameEveryNs};
};

// A follower's end: joins, keeps the offset to the leader's clock with bursts of
// pings, and lands the leader's state on the running match.
class FollowerLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kBurst = 8;              // pings in a burst
    static constexpr int kBurstEveryMs = 3000;
    static constexpr int kPingTimeoutMs = 1000;
    static constexpr qint64 kInStepNs = 5000000; // a tick within this of the leader's

    FollowerLink(RunningMatch& running, TickClocks& clocks, const QString& code, Wire wire);
    ~FollowerLink() override;

    void received(const QByteArray& frame);
    // A command of the running match, for the leader to carry out.
    void send(const RunningMatch::Request& request);

    bool joined() const { return joined_; }
    // Whether the state is ours yet: the first burst is done and a state has come.
    bool aligned() const { return aligned_; }
    std::optional<OffsetFilter::Sample> estimate() const { return filter_.estimate(); }
    bool inStep() const { return aligned_ && inStep_; }
    QString leaderName() const { return leaderName_; }

signals:
    // Closed by a refusal: a wrong code or another version. No use trying again.
    void refused(const QString& why);
    // The leader refused a command (followers may not drive the clock).
    void notice(const QString& why);
    void changed(); // joined, aligned, or the estimate moved

private:
    void sendSigned(QJsonObject message);
    void shut(const QString& why);
    void ping();
    void resync();
    void pinged(const QJsonObject& pong);
    void take(const QJsonObject& state);
    void apply();

    RunningMatch& running_;
    std::unique_ptr<TickClock> clock_;
    QString code_;
    Wire wire_;
    QByteArray nonce_;
    QByteArray inKey_, outKey_;
    qint64 inCount_ = 0, outCount_ = 0;
    bool joined_ = false, measured_ = false, aligned_ = false, inStep_ = false, shut_ = false;
    bool offered_ = false; // our match, to a leader that had none
    QString leaderName_;
    OffsetFilter filter_;
    int pingsLeft_ = 0;
    int pingId_ = 0;
    std::optional<QJsonObject> held_; // a state waiting for the first estimate
};

} // namespace team
