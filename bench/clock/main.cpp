// How well the game clock's tick keeps to real time.
//
// Runs, side by side and for the same stretch of time, the deadline timer that
// drives the game clock and a single-shot QTimer of 1000 ms started again at the
// end of each tick (the old way), once as a precise timer and once as a coarse
// one (Qt's default), each in a thread and event loop of its own so that one's
// work does not hold up the other. Each tick can do some busy work, as the real
// tick does. For tick n at monotonic time t(n), with t(0) the timer's start:
//
//   error(n) = t(n) - t(0) - n x 1000 ms   (how far the clock reading is behind)
//
// and the drift is the least-squares slope of the error over time, in ms per minute.
//
//   clock-bench [--seconds N] [--work MS] [--trace]

#include "platform/DeadlineTimer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kIntervalMs = 1000;
constexpr double kNsPerMs = 1e6;

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Keeps the CPU busy, as a tick's own work would.
void work(int ms)
{
    const qint64 until = nowNs() + qint64(ms) * 1000000;
    while (nowNs() < until) {
    }
}

struct Run {
    const char* name;
    std::vector<qint64> tickNs; // t(n) - t(0), n = 1, 2, ...
};

// Sets up one timer in its thread: `tick` records a tick, does the work and tells
// whether the time is up (it then ends the thread's event loop).
using Setup = std::function<void(QEventLoop& loop, std::function<bool()> tick)>;

std::unique_ptr<QThread> startInThread(Run& run, int seconds, int workMs, int delayMs, Setup setup)
{
    run.tickNs.reserve(std::size_t(seconds) + 1);
    std::unique_ptr<QThread> thread(QThread::create([&run, seconds, workMs, delayMs, setup] {
        QThread::msleep(unsigned(delayMs));
        QEventLoop loop;
        const qint64 endNs = qint64(seconds) * 1000000000;
        const qint64 startNs = nowNs();
        setup(loop, [&] {
            const qint64 at = nowNs() - startNs;
            run.tickNs.push_back(at);
            work(workMs);
            const bool done = at >= endNs;
            if (done)
                loop.quit();
            return done;
        });
        loop.exec();
    }));
    thread->start();
    return thread;
}

struct Figures {
    qint64 ticks = 0;
    double lastMs = 0;
    double largestMs = 0;
    double meanMs = 0;
    double driftMsPerMin = 0;
};

Figures measure(const Run& run)
{
    Figures f;
    f.ticks = qint64(run.tickNs.size());
    if (run.tickNs.empty())
        return f;
    double sumT = 0, sumE = 0, sumTT = 0, sumTE = 0;
    for (std::size_t i = 0; i < run.tickNs.size(); ++i) {
        const double t = double(run.tickNs[i]) / kNsPerMs;
        const double e = t - double(i + 1) * kIntervalMs;
        f.largestMs = std::max(f.largestMs, std::abs(e));
        sumT += t;
        sumE += e;
        sumTT += t * t;
        sumTE += t * e;
    }
    const double n = double(run.tickNs.size());
    f.lastMs = double(run.tickNs.back()) / kNsPerMs - n * kIntervalMs;
    f.meanMs = sumE / n;
    const double denominator = n * sumTT - sumT * sumT;
    if (n > 1 && denominator != 0)
        f.driftMsPerMin = (n * sumTE - sumT * sumE) / denominator * 60000.0;
    return f;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Measures the game clock's tick timer against a timer re-armed after each tick."));
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("How long to run (default 120)."),
                                           QStringLiteral("N"), QStringLiteral("120"));
    const QCommandLineOption workOption(QStringLiteral("work"),
                                        QStringLiteral("Busy work per tick in ms (default 0)."),
                                        QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption traceOption(QStringLiteral("trace"),
                                         QStringLiteral("Also print the error of every tick."));
    parser.addOption(secondsOption);
    parser.addOption(workOption);
    parser.addOption(traceOption);
    parser.process(app);
    bool secondsOk = false;
    bool workOk = false;
    const int seconds = parser.value(secondsOption).toInt(&secondsOk);
    const int workMs = parser.value(workOption).toInt(&workOk);
    if (!secondsOk || seconds < 1 || !workOk || workMs < 0 || workMs >= kIntervalMs) {
        std::fprintf(stderr, "clock-bench: --seconds must be 1 or more, --work 0 to 999\n");
        return 2;
    }

    std::printf("Clock benchmark: %d s, %d ms of busy work per tick, %d ms interval\n", seconds,
                workMs, kIntervalMs);
    std::fflush(stdout);

    Run deadline{"deadline timer (ours)", {}};
    Run precise{"re-armed QTimer, precise", {}};
    Run coarse{"re-armed QTimer, coarse", {}};

    const auto reArmed = [](Qt::TimerType type) {
        return [type](QEventLoop& loop, std::function<bool()> tick) {
            auto* timer = new QTimer(&loop);
            timer->setSingleShot(true);
            timer->setTimerType(type);
            timer->setInterval(kIntervalMs);
            QObject::connect(timer, &QTimer::timeout, timer, [timer, tick] {
                if (!tick())
                    timer->start(); // the next tick 1000 ms after this one ended
            });
            timer->start();
        };
    };
    std::vector<std::unique_ptr<QThread>> threads;
    // Each timer starts a third of an interval after the one before, so that on a
    // machine with few cores their busy ticks do not all fall at the same moment.
    constexpr int kStagger = kIntervalMs / 3;
    const auto deadlineTimer = [](QEventLoop& loop, std::function<bool()> tick) {
        auto* timer = new DeadlineTimer(kIntervalMs, &loop);
        QObject::connect(timer, &DeadlineTimer::timeout, timer, [timer, tick] {
            if (tick())
                timer->stop();
        });
        timer->start();
    };
    threads.push_back(startInThread(deadline, seconds, workMs, 0, deadlineTimer));
    threads.push_back(startInThread(precise, seconds, workMs, kStagger, reArmed(Qt::PreciseTimer)));
    threads.push_back(
        startInThread(coarse, seconds, workMs, 2 * kStagger, reArmed(Qt::CoarseTimer)));
    for (const auto& thread : threads)
        thread->wait();

    std::printf("\n%-28s %6s %12s %14s %12s %16s\n", "", "ticks", "last error", "largest error",
                "mean error", "drift");
    for (const Run* run : {&deadline, &precise, &coarse}) {
        const Figures f = measure(*run);
        std::printf("%-28s %6lld %9.2f ms %11.2f ms %9.2f ms %9.2f ms/min\n", run->name,
                    static_cast<long long>(f.ticks), f.lastMs, f.largestMs, f.meanMs, f.driftMsPerMin);
    }
    if (parser.isSet(traceOption)) {
        std::printf("\nerror of each tick, ms\n%6s %12s %12s %12s\n", "tick", "deadline", "precise",
                    "coarse");
        const std::size_t longest =
            std::max({deadline.tickNs.size(), precise.tickNs.size(), coarse.tickNs.size()});
        for (std::size_t i = 0; i < longest; ++i) {
            std::printf("%6zu", i + 1);
            for (const Run* run : {&deadline, &precise, &coarse}) {
                if (i < run->tickNs.size())
                    std::printf(" %12.3f",
                                double(run->tickNs[i]) / kNsPerMs - double(i + 1) * kIntervalMs);
                else
                    std::printf(" %12s", "");
            }
            std::printf("\n");
        }
    }
    const Figures ours = measure(deadline);
    const bool met = ours.largestMs < 5.0 && std::abs(ours.driftMsPerMin) < 0.5;
    std::printf("\nTarget for the deadline timer: largest error under 5 ms and drift under "
                "0.5 ms/min: %s\n",
                met ? "met" : "NOT met");
    return 0;
}
