// How closely a team's follower ticks with its leader.
//
// Starts a leader and a follower, each a process of its own on this machine, and
// a relay between them that delays each piece of data by 5 to 25 ms (at random,
// in order) each way. The follower's monotonic clock reads 3.7 s ahead: it has
// only the messages to find the leader's phase by. Each process prints the real
// monotonic moment of each tick with its number, the leader's count; for tick n,
//
//   difference(n) = follower's tick n - leader's tick n
//
// over the ticks once aligned: its median and largest size; the time from the
// follower's join to its first tick within 5 ms; and, after the relay has dropped
// the link for 5 s, the time from the link's return to the first tick within
// 5 ms after the follower has joined again.
//
//   team-bench [--ticks N]

#include "platform/DeadlineTimer.h"
#include "platform/SoundPlayer.h"
#include "team/Team.h"
#include "timer/RunningMatch.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <deque>
#include <map>

namespace {

constexpr qint64 kMs = 1000000;
constexpr qint64 kInStep = 5 * kMs;
constexpr quint16 kLeaderPort = 18422, kRelayPort = 18423;

qint64 realNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The follower's clocks: the steady clock, read this much later. Only the bench
// does this; the program's clock is the machine's.
struct ShiftedClocks : TickClocks {
    explicit ShiftedClocks(qint64 shift) : shift(shift) {}
    struct Clock : TickClock {
        std::unique_ptr<TickClock> base;
        qint64 shift = 0;
        qint64 nowNs() const override { return base->nowNs() + shift; }
        void wakeAfter(int ms, std::function<void()> wake) override { base->wakeAfter(ms, wake); }
        void cancel() override { base->cancel(); }
    };
    std::unique_ptr<TickClock> make() override
    {
        auto clock = std::make_unique<Clock>();
        clock->base = steady.make();
        clock->shift = shift;
        return clock;
    }
    SteadyTickClocks steady;
    qint64 shift;
};

struct Silent : SoundPlayer {
    void play(const QString&) override {}
    void playThrough(const QString&, const SoundOutput&) override {}
    void setOutput(const SoundOutput&) override {}
    QList<SoundDevice> devices() const override { return {}; }
};

// One side: leads (and starts the clock) or follows through the relay, printing
// "tick N NS" for each tick and "aligned NS" each time it has joined and aligned.
int side(bool leads, qint64 shiftNs)
{
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("times.ini")));
    if (!ini.open(QIODevice::WriteOnly) || ini.write("[settings]\nteamcode=12345678\n") < 0)
        return 1;
    ini.close();
    ShiftedClocks clocks(shiftNs);
    Silent sound;
    RunningMatch running(program::inFolder(dir.path()), clocks, sound);
    running.load([] { return false; });
    Team team(running, clocks);
    quint64 shown = running.ticksRun();
    QObject::connect(&running, &RunningMatch::changed, [&] {
        if (running.ticksRun() != shown && running.match().bClockRunning)
            std::printf("tick %llu %lld\n", running.ticksRun(), realNs());
        shown = running.ticksRun();
        std::fflush(stdout);
    });
    bool aligned = false;
    QObject::connect(&team, &Team::changed, [&] {
        const QJsonObject status = team.status();
        const bool now = status[QStringLiteral("connected")].toBool();
        if (now && std::getenv("TEAM_BENCH_TRACE"))
            std::fprintf(stderr, "offset error %.2f ms rtt %.1f\n",
                         status[QStringLiteral("offset_ms")].toDouble() + 3700,
                         status[QStringLiteral("rtt_ms")].toDouble());
        if (now && !aligned)
            std::printf("aligned %lld\n", realNs());
        aligned = now;
        std::fflush(stdout);
    });
    if (leads) {
        if (const auto why = team.lead(kLeaderPort)) {
            std::fprintf(stderr, "%s\n", qPrintable(*why));
            return 1;
        }
        running.start();
    } else {
        std::printf("join %lld\n", realNs());
        team.follow(QStringLiteral("127.0.0.1"), kRelayPort, QStringLiteral("12345678"));
    }
    return QCoreApplication::exec();
}

// Between the follower and the leader: each piece of data 5 to 25 ms late, in order.
class Relay : public QObject {
public:
    Relay()
    {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* in = server_.nextPendingConnection()) {
                auto* out = new QTcpSocket(this);
                out->connectToHost(QStringLiteral("127.0.0.1"), kLeaderPort);
                for (QTcpSocket* s : {in, out})
                    s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                pipe(in, out);
                pipe(out, in);
                pairs_.push_back({in, out});
            }
        });
        open();
    }
    void open() { server_.listen(QHostAddress::LocalHost, kRelayPort); }
    // The link goes down: every connection cut, none taken until open().
    void drop()
    {
        server_.close();
        for (auto [in, out] : std::exchange(pairs_, {})) {
            in->abort();
            out->abort();
            in->deleteLater();
            out->deleteLater();
        }
    }

private:
    void pipe(QTcpSocket* from, QTcpSocket* to)
    {
        auto* last = new qint64(0); // the moment the previous piece went, kept in order
        connect(from, &QObject::destroyed, [last] { delete last; });
        connect(from, &QTcpSocket::readyRead, this, [this, from, to, last] {
            const QByteArray data = from->readAll();
            const qint64 delay = QRandomGenerator::global()->bounded(5, 26) * kMs;
            *last = std::max(realNs() + delay, *last);
            QTimer::singleShot(int((*last - realNs() + kMs - 1) / kMs), Qt::PreciseTimer, to,
                               [to, data] {
                                   if (to->state() == QAbstractSocket::ConnectedState)
                                       to->write(data);
                               });
        });
    }

    QTcpServer server_;
    std::vector<std::pair<QTcpSocket*, QTcpSocket*>> pairs_;
};

struct Ticks {
    std::map<quint64, qint64> at; // tick number: real moment
    std::vector<qint64> aligned;
    qint64 joined = 0;
};

void read(QProcess& process, Ticks& ticks)
{
    QObject::connect(&process, &QProcess::readyReadStandardOutput, [&process, &ticks] {
        while (process.canReadLine()) {
            const QList<QByteArray> words = process.readLine().trimmed().split(' ');
            if (words[0] == "tick" && words.size() == 3)
                ticks.at[words[1].toULongLong()] = words[2].toLongLong();
            else if (words[0] == "aligned")
                ticks.aligned.push_back(words[1].toLongLong());
            else if (words[0] == "join")
                ticks.joined = words[1].toLongLong();
        }
    });
}

double ms(qint64 ns)
{
    return double(ns) / kMs;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{"ticks", "ticks compared once aligned", "N", "120"},
                       {"side", "(internal) leader or follower", "SIDE"}});
    parser.process(app);
    if (parser.isSet("side"))
        return side(parser.value("side") == "leader",
                    parser.value("side") == "leader" ? 0 : 3700 * kMs);
    const int count = parser.value("ticks").toInt();

    Relay relay;
    QProcess leader, follower;
    Ticks leads, follows;
    read(leader, leads);
    read(follower, follows);
    for (QProcess* p : {&leader, &follower})
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    leader.start(app.applicationFilePath(), {"--side=leader"});
    QTimer::singleShot(1500,
                       [&] { follower.start(app.applicationFilePath(), {"--side=follower"}); });

    // Differences by tick, from the follower's first to the last in ticks.
    auto differences = [&](qint64 from) {
        std::vector<std::pair<qint64, qint64>> d; // (moment, difference)
        for (const auto& [n, at] : follows.at)
            if (at >= from && leads.at.count(n))
                d.push_back({at, at - leads.at[n]});
        return d;
    };
    auto firstInStep = [&](qint64 from) -> qint64 {
        for (const auto& [at, diff] : differences(from))
            if (std::abs(diff) <= kInStep)
                return at;
        return 0;
    };
    qint64 aligned = 0, dropAt = 0, back = 0;
    QTimer watch;
    watch.start(200);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!aligned && !follows.aligned.empty())
            aligned = firstInStep(follows.aligned.front());
        if (aligned && !dropAt && differences(aligned).size() >= size_t(count)) {
            relay.drop();
            dropAt = realNs();
            QTimer::singleShot(5000, [&] {
                relay.open();
                back = realNs();
            });
        }
        if (back && follows.aligned.size() > 1 && !differences(follows.aligned.back()).empty() &&
            differences(follows.aligned.back()).size() >= 10)
            app.quit();
    });
    QTimer::singleShot((count + 60) * 1000, &app, &QCoreApplication::quit);
    app.exec();
    for (QProcess* p : {&leader, &follower}) {
        p->kill();
        p->waitForFinished();
    }

    std::vector<qint64> sizes;
    for (const auto& [at, diff] : differences(aligned))
        if (at < dropAt || !dropAt) {
            sizes.push_back(std::abs(diff));
            if (std::getenv("TEAM_BENCH_TRACE"))
                std::fprintf(stderr, "difference %+.2f ms\n", ms(diff));
        }
    if (sizes.empty()) {
        std::printf("the follower never aligned\n");
        return 1;
    }
    std::sort(sizes.begin(), sizes.end());
    std::printf("ticks compared            %zu\n", sizes.size());
    std::printf("difference median         %.2f ms (goal <= 2)\n", ms(sizes[sizes.size() / 2]));
    std::printf("difference max            %.2f ms (goal <= 5)\n", ms(sizes.back()));
    std::printf("join to aligned           %.0f ms (goal <= 2000)\n", ms(aligned - follows.joined));
    if (back && follows.aligned.size() > 1) {
        const qint64 again = firstInStep(follows.aligned.back());
        std::vector<qint64> during;
        for (const auto& [at, diff] : differences(dropAt))
            if (at < back)
                during.push_back(std::abs(diff));
        std::printf("while the link was down   max %.2f ms over %zu ticks\n",
                    during.empty() ? 0.0 : ms(*std::max_element(during.begin(), during.end())),
                    during.size());
        std::printf("link back to re-aligned   %.0f ms\n", again ? ms(again - back) : -1.0);
    } else {
        std::printf("the follower did not join again after the link came back\n");
    }
    return 0;
}
