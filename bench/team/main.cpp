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
// With --load, the leader is put under load once the follower is aligned: 200
// connections at once, each asking for a WebSocket, then a third process that
// joins with the code and sends commands as fast as it can for 10 s (joining
// again each time it is cut off). Printed for each stretch: how late the
// leader's ticks came against their deadlines (its callouts go out with them),
// and the follower's ticks against the leader's.
//
//   team-bench [--ticks N] [--load]

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
    void prepare(const QStringList&) override {}
    QList<SoundDevice> devices() const override { return {}; }
};

enum class Side { Leader, Follower, Flooder };

// One side: leads (and starts the clock, printing "started NS TICKS"), follows
// through the relay, or floods the leader, printing "tick N NS" for each tick and
// "aligned NS" each time it has joined and aligned.
int side(Side role, qint64 shiftNs)
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
    QTimer flood;
    QObject::connect(&flood, &QTimer::timeout, [&] {
        // A command that changes nothing, but sends the state to every follower.
        for (int i = 0; i < 50 && team.status()[QStringLiteral("connected")].toBool(); ++i)
            running.start();
    });
    if (role == Side::Leader) {
        if (const auto why = team.lead(kLeaderPort)) {
            std::fprintf(stderr, "%s\n", qPrintable(*why));
            return 1;
        }
        running.start();
        std::printf("started %lld %llu\n", realNs(), running.ticksRun());
    } else if (role == Side::Flooder) {
        team.follow(QStringLiteral("127.0.0.1"), kLeaderPort, QStringLiteral("12345678"));
        flood.start(0);
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
    qint64 started = 0;
    quint64 startTicks = 0;
};

// 200 connections to the leader at once, each asking for a WebSocket; letIn counts
// the handshakes answered.
void burst(QObject* owner, int& letIn)
{
    for (int i = 0; i < 200; ++i) {
        auto* socket = new QTcpSocket(owner);
        QObject::connect(socket, &QTcpSocket::connected, socket, [socket] {
            socket->write("GET / HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\n"
                          "Connection: Upgrade\r\nSec-WebSocket-Key: AAAAAAAAAAAAAAAAAAAAAA==\r\n"
                          "Sec-WebSocket-Version: 13\r\n\r\n");
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &letIn] {
            letIn += socket->read(12) == "HTTP/1.1 101";
            socket->disconnect();
        });
        socket->connectToHost(QStringLiteral("127.0.0.1"), kLeaderPort);
    }
}

qint64 median(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

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
            else if (words[0] == "started" && words.size() == 3)
                ticks.started = words[1].toLongLong(), ticks.startTicks = words[2].toULongLong();
        }
    });
}

double ms(qint64 ns)
{
    return double(ns) / kMs;
}

// For each stretch of load: the leader's ticks against their deadlines, and the
// follower's against the leader's.
int report(const Ticks& leads, const Ticks& follows, const std::vector<qint64>& stretches,
           int letIn)
{
    if (stretches.size() < 5) {
        std::printf("the follower never aligned\n");
        return 1;
    }
    const char* const names[] = {"before", "200 connections", "a follower flooding", "after"};
    std::printf("%-22s %-26s %s\n", "", "leader's ticks late by", "follower's ticks apart");
    for (size_t i = 0; i + 1 < stretches.size(); ++i) {
        std::vector<qint64> late, apart;
        for (const auto& [n, at] : leads.at) {
            if (at < stretches[i] || at >= stretches[i + 1])
                continue;
            late.push_back(at - leads.started - qint64(n - leads.startTicks) * 1000 * kMs);
            if (follows.at.count(n))
                apart.push_back(std::abs(follows.at.at(n) - at));
        }
        std::printf("%-22s median %5.2f max %6.2f ms   median %5.2f max %6.2f ms   (%zu ticks)\n",
                    names[i], ms(median(late)),
                    late.empty() ? 0.0 : ms(*std::max_element(late.begin(), late.end())),
                    ms(median(apart)),
                    apart.empty() ? 0.0 : ms(*std::max_element(apart.begin(), apart.end())),
                    late.size());
    }
    std::printf("connections let in      %d of 200\n", letIn);
    std::printf("goal: each callout within 60 ms of its tick, the median within 30 ms\n");
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{"ticks", "ticks compared once aligned", "N", "120"},
                       {"load", "the leader under a burst of connections and a flood"},
                       {"side", "(internal) leader, follower or flooder", "SIDE"}});
    parser.process(app);
    if (parser.isSet("side")) {
        const QString role = parser.value("side");
        return role == "leader"     ? side(Side::Leader, 0)
               : role == "flooder" ? side(Side::Flooder, 0)
                                    : side(Side::Follower, 3700 * kMs);
    }
    const int count = parser.value("ticks").toInt();
    const bool load = parser.isSet("load");

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
    QProcess flooder;
    flooder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    std::vector<qint64> stretches; // the moments each stretch of load began
    int letIn = 0;
    QObject loadOwner;
    if (load) {
        QTimer::singleShot(0, [&] {
            // Each stretch 15 s from the follower's first aligned tick.
            QTimer* next = new QTimer(&app);
            QObject::connect(next, &QTimer::timeout, [&, next] {
                if (!aligned)
                    return;
                stretches.push_back(realNs());
                if (stretches.size() == 2)
                    burst(&loadOwner, letIn);
                else if (stretches.size() == 3)
                    flooder.start(app.applicationFilePath(), {"--side=flooder"});
                else if (stretches.size() == 4)
                    flooder.kill();
                else if (stretches.size() == 5)
                    app.quit();
                next->start(stretches.size() == 3 ? 10000 : 15000);
            });
            next->start(1000);
        });
    }
    QTimer watch;
    watch.start(200);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!aligned && !follows.aligned.empty())
            aligned = firstInStep(follows.aligned.front());
        if (aligned && !load && !dropAt && differences(aligned).size() >= size_t(count)) {
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
    for (QProcess* p : {&leader, &follower, &flooder}) {
        p->kill();
        p->waitForFinished();
    }
    if (load)
        return report(leads, follows, stretches, letIn);

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
