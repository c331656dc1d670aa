// A leader and a follower joined by a scripted network, on one fake time: the
// follower's clock runs 3.7 s ahead of the leader's, and each frame takes the next
// of its direction's delays. Where the follower's ticks land, and what it plays.

#include "settings/Ini.h"
#include "support/FakeClock.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"
#include "team/Limits.h"
#include "team/Link.h"
#include "team/OffsetFilter.h"
#include "timer/RunningMatch.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <deque>
#include <ranges>

namespace {

constexpr qint64 kMs = FakeClocks::kMs;
constexpr qint64 kShift = 3700 * kMs;

// The follower's clocks: the shared fake time, read kShift later, less the time
// the follower's PC has been asleep.
struct ShiftedClocks : TickClocks {
    explicit ShiftedClocks(FakeClocks& base) : base(base) {}
    struct Clock : TickClock {
        std::unique_ptr<TickClock> base;
        const qint64* asleep;
        qint64 nowNs() const override { return sinceBootNs() - *asleep; }
        qint64 sinceBootNs() const override { return base->nowNs() + kShift; }
        void wakeAfter(int ms, std::function<void()> wake) override { base->wakeAfter(ms, wake); }
        void cancel() override { base->cancel(); }
    };
    std::unique_ptr<TickClock> make() override
    {
        auto clock = std::make_unique<Clock>();
        clock->base = base.make();
        clock->asleep = &asleep;
        return clock;
    }
    FakeClocks& base;
    qint64 asleep = 0;
};

// One direction of the network: frames arrive in order, each after the next delay.
struct Pipe {
    Pipe(FakeClocks& clocks, const std::vector<int>& delays,
         std::function<void(const QByteArray&)> deliver)
        : clocks(clocks), clock(clocks.make()), deliver(std::move(deliver)), delays(delays) {}
    void send(const QByteArray& frame)
    {
        const qint64 at = clocks.now + delays[sent++ % delays.size()] * kMs;
        queue.push_back({queue.empty() ? at : std::max(at, queue.back().first), frame});
        arm();
    }
    void arm()
    {
        if (queue.empty())
            return;
        clock->wakeAfter(int((queue.front().first - clocks.now) / kMs), [this] {
            const QByteArray frame = queue.front().second;
            queue.pop_front();
            deliver(frame);
            arm();
        });
    }
    FakeClocks& clocks;
    std::unique_ptr<TickClock> clock;
    std::function<void(const QByteArray&)> deliver;
    const std::vector<int>& delays;
    size_t sent = 0;
    std::deque<std::pair<qint64, QByteArray>> queue;
};

struct Side : FakeSound {
    explicit Side(FakeClocks& clocks, TickClocks& own, const char* extra) : clocks(clocks), own(own)
    {
        EXPECT_TRUE(dir.writeIni(QByteArray(kShortPeriodsIni).replace("time=3", extra)));
        running.load([] { return true; });
    }
    void play(const QString& file) override
    {
        heard << QStringLiteral("%1@%2")
                     .arg(QFileInfo(file).completeBaseName())
                     .arg(clocks.now / kMs);
    }
    FakeClocks& clocks;
    TickClocks& own;
    TempProgramFolder dir;
    RunningMatch running{dir.files(), own, *this};
    QStringList heard;
};

// Steps: @MS time runs to MS; S the leader's S key, s the follower's; A the leader
// is told to start again; J the follower joins (C: with a wrong code); X the link is
// cut; ZMS the follower's PC was asleep for MS, its monotonic clock standing still;
// Fn the follower sends n commands at once, G a frame of garbage; T frames to the
// follower are changed on the way, V so that the leader speaks another version; N the
// leader lets no follower drive the clock; dOUT,../BACK,.. each direction's delays in ms.
struct Team {
    explicit Team(const char* leaderIni = "time=3", const char* code = "12345678")
        : leader(clocks, clocks, leaderIni), follower(clocks, shifted, "time=2"), code(code) {}
    void join()
    {
        toFollower = std::make_unique<Pipe>(clocks, back, [this](const QByteArray& f) {
            followerEnd->received(tamper ? tamper(f) : f);
        });
        toLeader = std::make_unique<Pipe>(clocks, out,
                                          [this](const QByteArray& f) { leaderEnd->received(f); });
        followerEnd = std::make_unique<team::FollowerLink>(
            follower.running, shifted, code,
            team::Wire{[this](const QByteArray& f) { toLeader->send(f); },
                       [this](const QString& why) { closed << "follower: " + why; }});
        QObject::connect(followerEnd.get(), &team::FollowerLink::refused,
                         [this](const QString& why) { closed << "refused: " + why; });
        QObject::connect(followerEnd.get(), &team::FollowerLink::notice,
                         [this](const QString& why) { closed << "notice: " + why; });
        follower.running.forwardTo(
            [this](const RunningMatch::Request& r) { followerEnd->send(r); });
        leaderEnd = std::make_unique<team::LeaderLink>(
            leader.running, "12345678", "leader",
            team::Wire{[this](const QByteArray& f) { toFollower->send(f); },
                       [this](const QString& why) { closed << "leader: " + why; }});
        QObject::connect(&leader.running, &RunningMatch::changed, [this] {
            if (leaderEnd)
                leaderEnd->shown();
        });
    }
    void script(const QString& text)
    {
        for (const QString& s : text.split(' ', Qt::SkipEmptyParts)) {
            const auto delays = [](const QString& list) {
                std::vector<int> ms;
                for (const QString& d : list.split(','))
                    ms.push_back(d.toInt());
                return ms;
            };
            if (s[0] == '@')
                clocks.runTo(s.mid(1).toInt());
            else if (s == "S")
                leader.running.toggle();
            else if (s == "s")
                follower.running.toggle();
            else if (s == "J")
                join();
            else if (s[0] == 'Z')
                shifted.asleep += s.mid(1).toInt() * kMs;
            else if (s == "C")
                code = "87654321";
            else if (s == "N")
                WriteIni("settings", "teamdrive", "0", leader.dir.iniPath()),
                    leader.running.reloadSettings();
            else if (s == "T" || s == "V")
                tamper = [s](QByteArray f) {
                    return s == "T" ? f.replace("[0,0,", "[0,1,") : f.replace("\"v\":1", "\"v\":2");
                };
            else if (s == "X")
                follower.running.forwardTo({}), followerEnd.reset(), leaderEnd.reset(),
                    toFollower.reset(), toLeader.reset();
            else if (s[0] == 'F')
                for (int i = s.mid(1).toInt(); i > 0; --i)
                    follower.running.stop();
            else if (s == "A")
                leader.running.start();
            else if (s == "G")
                toLeader->send("{");
            else if (s[0] == 'd')
                out = delays(s.mid(1).section('/', 0, 0)), back = delays(s.section('/', 1));
        }
    }
    FakeClocks clocks;
    ShiftedClocks shifted{clocks};
    Side leader, follower;
    QString code;
    std::vector<int> out{10}, back{10}; // the delays to the leader and back
    std::unique_ptr<Pipe> toFollower, toLeader;
    std::unique_ptr<team::FollowerLink> followerEnd;
    std::unique_ptr<team::LeaderLink> leaderEnd;
    std::function<QByteArray(QByteArray)> tamper; // what frames to the follower go through
    QStringList closed;
};

// Map 0 (short periods, the follower's lead time 2 s) sounds from a start at 0 at
// 1 o, 3 r, 4 o, 5 o, 6 r, 7 s on the leader and 2 r, 3 o, 4 o, 5 r, 6 s on the follower.
TEST(TeamTest, FollowerTicksLandOnTheLeadersPhase)
{
    const struct {
        const char* steps;
        const char* leader;
        const char* follower;
        const char* closed;
    } rows[] = {
        // A mid-match join: nothing missed is played; each way's quickest counts.
        {"S @2500 J d5,4,20,20,20,20,20,20,20/5,5,5,4,6,6,6,6,6,6,6 @7100",
         "o@1000 r@3000 o@4000 o@5000 r@6000 s@7000", "ro@4000 ro@6000", ""},
        // The follower's S starts both, at the moment it reaches the leader.
        {"J @300 s @4400", "o@1310 r@3310 o@4310", "o@2310 ro@4310", ""},
        // A better sample 3 ms off: the phase moves a ms a tick.
        {"J @300 S @2000 d2/8 @8400", "o@1300 r@3300 o@4300 o@5300 r@6300 s@7300 o@8300",
         "o@2300 ro@4301 ro@6303 so@8303", ""},
        // The follower 4 ms late and the leader's tick 2 ms after its own: ours runs
        // then, with its state; 12 ms late, at once.
        {"d1/9 J @300 S @2000 d1/2 @4400", "o@1300 r@3300 o@4300", "o@2304 ro@4303", ""},
        {"d1/25 J @300 S @2000 d1/1 @4400", "o@1300 r@3300 o@4300", "o@2301 ro@4300", ""},
        // A state that comes after our next tick has nothing to add.
        {"J S @2000 d10/1200 @4500", "o@1000 r@3000 o@4000", "o@2000 ro@4000", ""},
        // The link cut: the follower counts on, and joins again without a sound twice,
        // on the phase it finds at once.
        {"J S @2500 X d2/8 @4500 J @7100", "o@1000 r@3000 o@4000 o@5000 r@6000 s@7000",
         "o@2000 ro@4000 ro@6003", ""},
        // A leader with no match yet (back after a crash) takes the follower's.
        {"s @2500 J @7100", "r@3000 o@4000 o@5000 r@6000 s@7000", "o@2000 ro@4000 ro@6000", ""},
        // Resumed from a suspend: the offset is measured afresh before a state lands.
        {"J S @2500 Z5000 @7100", "o@1000 r@3000 o@4000 o@5000 r@6000 s@7000",
         "o@2000 ro@4000 ro@6000", ""},
        // Its ticks come before the leader's slow frames: silent for a while on their
        // stale phase, until the measure ends, or else (here) for 3 s.
        {"J S @2500 d10/1500 Z600 @7100", "o@1000 r@3000 o@4000 o@5000 r@6000 s@7000",
         "o@2000 ro@6600", ""},
        // Followers may not drive the clock: nothing starts.
        {"N J @300 s @2000", "", "", "notice: The leader does not let followers drive the clock."},
        // A wrong code, a frame changed on its way: the link closes, nothing is taken.
        {"C J S @2500", "o@1000", "",
         "leader: Wrong join code. | refused: Wrong join code. | "
         "follower: refused"},
        {"J S @1500 T @4500", "o@1000 r@3000 o@4000", "o@2000 ro@4000",
         "follower: a frame not signed, or out of order"},
        // The leader's command just before its tick, taken after our tick: not run again.
        {"J S @3995 A @4500", "o@1000 r@3000 o@4000", "o@2000 ro@4000", ""},
        // A follower that floods, or sends garbage, is cut off.
        {"J @2000 F40 @2100", "", "", ""},
        {"J @2000 F41 @2100", "", "", "leader: too many messages"},
        {"J @2000 G @2100", "", "", "leader: a frame not signed, or out of order"},
        {"V J @300", "", "",
         "refused: The leader speaks team protocol 2 and this PC 1: run the "
         "same version of Zorvu Timer on both PCs. | follower: version"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.steps);
        Team team;
        team.script(QString::fromLatin1(row.steps));
        EXPECT_EQ(team.leader.heard.join(' '), row.leader);
        EXPECT_EQ(team.follower.heard.join(' '), row.follower);
        EXPECT_EQ(team.closed.join(" | "), row.closed);
    }
}

// Tries to join from each address (IPv6: each /64), and from all: ADDR*N tries N
// times, ADDR+ is a try that joined, @MS time runs to MS. The count let in of each.
TEST(TeamTest, JoinTriesAreLimited)
{
    const struct {
        const char* tries;
        const char* admitted;
    } rows[] = {
        // Ten, then one each 6 s; an IPv4 address the same as an IPv4-mapped one.
        {"10.0.0.1*10 ::ffff:10.0.0.1*2 10.0.0.2*1 @6000 10.0.0.1*2", "10 0 1 1"},
        {"2001:db8::1*6 2001:db8::ffff:1*6 2001:db8:0:1::1*1", "6 4 1"},
        {"10.0.0.1*10 10.0.0.1+ 10.0.0.1*2", "10 1"},
        // Sixty from all, then one a second.
        {"10.0.0.1*10 10.0.0.2*10 10.0.0.3*10 10.0.0.4*10 10.0.0.5*10 10.0.0.6*10 "
         "10.0.0.7*10 @1000 10.0.0.8*2",
         "10 10 10 10 10 10 0 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tries);
        team::JoinLimit limit;
        qint64 now = 0;
        QStringList admitted;
        for (const QString& s : QString::fromLatin1(row.tries).split(' ')) {
            const QHostAddress peer(s.section(QRegularExpression("[*+]"), 0, 0));
            if (s[0] == '@')
                now = s.mid(1).toLongLong() * kMs;
            else if (s.endsWith('+'))
                limit.joined(peer);
            else
                admitted << QString::number(std::ranges::count_if(
                    std::views::iota(0, s.section('*', 1).toInt()),
                    [&](int) { return limit.admit(peer, now); }));
        }
        EXPECT_EQ(admitted.join(' '), row.admitted);
    }
}

} // namespace
