// The tick schedule on a clock that the test moves by hand: nothing sleeps and
// nothing waits for the event loop.

#include "platform/DeadlineTimer.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

constexpr qint64 kMs = 1000000; // nanoseconds

class FakeTickClock : public TickClock {
public:
    qint64 now = 0;
    std::vector<int> waits; // every wake-up asked for, in ms

    qint64 nowNs() const override { return now; }
    void wakeAfter(int ms, std::function<void()> wake) override
    {
        waits.push_back(ms);
        due_ = now + ms * kMs;
        wake_ = std::move(wake);
    }
    void cancel() override
    {
        due_.reset();
        wake_ = nullptr;
    }

    bool armed() const { return due_.has_value(); }

    // Time runs to t; each wake-up comes at the moment it was asked for.
    void runTo(qint64 ms) { run(ms * kMs, false); }
    // Time jumps to t (the program was held up); the wake-ups owed come then.
    void stallTo(qint64 ms) { stallToNs(ms * kMs); }
    void stallToNs(qint64 ns) { run(ns, true); }
    // A wake-up that comes early.
    void wakeNow()
    {
        if (due_)
            give();
    }

private:
    void run(qint64 to, bool late)
    {
        if (late)
            now = std::max(now, to);
        // Bounded: a schedule that never lets time pass would loop here forever.
        for (int i = 0; i < 100000 && due_ && *due_ <= to; ++i) {
            now = std::max(now, *due_);
            give();
        }
        now = std::max(now, to);
    }
    void give()
    {
        due_.reset();
        std::exchange(wake_, nullptr)();
    }

    std::optional<qint64> due_;
    std::function<void()> wake_;
};

struct Harness {
    FakeTickClock clock;
    DeadlineTimer timer;
    std::vector<qint64> tickTimes; // the clock as each handler began, in ms

    explicit Harness(int intervalMs) : timer(intervalMs, clock)
    {
        QObject::connect(&timer, &DeadlineTimer::timeout,
                         [this] { tickTimes.push_back(clock.now / kMs); });
    }
    qint64 timeouts() const { return qint64(tickTimes.size()); }
};

TEST(DeadlineTimer, TicksFallOnTheDeadlinesFromStart)
{
    Harness h(1000);
    h.clock.now = 250 * kMs;
    h.timer.start();
    EXPECT_TRUE(h.timer.isActive());

    const struct {
        qint64 ms;
        qint64 ticks;
    } steps[] = {{250, 0},  {1249, 0}, {1250, 1}, {1251, 1},  {2249, 1},
                 {2250, 2}, {5500, 5}, {6249, 5}, {6250, 6}, {60250, 60}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.ms);
        h.clock.runTo(step.ms);
        EXPECT_EQ(h.timer.ticks(), step.ticks);
        EXPECT_EQ(h.timeouts(), step.ticks);
    }
    EXPECT_EQ(h.tickTimes[0], 1250);
    EXPECT_EQ(h.tickTimes[4], 5250);
    EXPECT_EQ(h.tickTimes[59], 60250);
}

TEST(DeadlineTimer, WakeUpsAreRoundedUpToTheDeadline)
{
    Harness h(1000);
    h.timer.start();
    // Each wake-up comes 0.3 ms late; a wait of 999.7 ms must not become 999.
    for (qint64 second = 1; second <= 3; ++second) {
        h.clock.stallToNs(second * 1000 * kMs + 300000);
        EXPECT_EQ(h.timer.ticks(), second);
    }
    EXPECT_EQ(h.clock.waits, (std::vector<int>{1000, 1000, 1000, 1000}));
}

TEST(DeadlineTimer, AnEarlyWakeUpTicksNothingAndWaitsForTheRest)
{
    Harness h(1000);
    h.timer.start();
    h.clock.runTo(400);
    h.clock.wakeNow();
    EXPECT_EQ(h.timeouts(), 0);
    EXPECT_EQ(h.clock.waits, (std::vector<int>{1000, 600}));
    h.clock.runTo(1000);
    EXPECT_EQ(h.tickTimes, std::vector<qint64>{1000});
}

TEST(DeadlineTimer, LateTicksAreMadeUpAtOnce)
{
    Harness h(1000);
    h.timer.start();
    h.clock.stallTo(4500);
    EXPECT_EQ(h.tickTimes, (std::vector<qint64>{4500, 4500, 4500, 4500}));
    EXPECT_EQ(h.clock.waits.back(), 500);
    h.clock.runTo(5000);
    EXPECT_EQ(h.timer.ticks(), 5);
}

TEST(DeadlineTimer, WorkInTheHandlerDoesNotPushLaterTicksBack)
{
    Harness h(1000);
    // Each tick takes 700 ms; a timer re-armed after the tick would come next at 2700.
    QObject::connect(&h.timer, &DeadlineTimer::timeout, [&h] { h.clock.now += 700 * kMs; });
    h.timer.start();
    h.clock.runTo(10000);
    EXPECT_EQ(h.tickTimes,
              (std::vector<qint64>{1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000}));
    EXPECT_EQ(h.clock.waits, (std::vector<int>{1000, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300}));
}

TEST(DeadlineTimer, StopFreezesAndStartBeginsAFullIntervalFromNow)
{
    Harness h(1000);
    h.timer.start();
    h.clock.runTo(2500);
    h.timer.stop();
    EXPECT_FALSE(h.timer.isActive());
    EXPECT_FALSE(h.clock.armed());
    h.clock.runTo(10000);
    EXPECT_EQ(h.timeouts(), 2);
    EXPECT_EQ(h.timer.ticks(), 2);

    h.timer.start();
    EXPECT_EQ(h.timer.ticks(), 0);
    h.clock.runTo(10999);
    EXPECT_EQ(h.timeouts(), 2);
    h.clock.runTo(11000);
    EXPECT_EQ(h.timeouts(), 3);
    EXPECT_EQ(h.timer.ticks(), 1);
}

TEST(DeadlineTimer, HandlerThatStopsEndsTheTicks)
{
    Harness h(1000);
    QObject::connect(&h.timer, &DeadlineTimer::timeout, [&h] {
        if (h.timer.ticks() == 3)
            h.timer.stop();
    });
    h.timer.start();
    h.clock.runTo(10000);
    EXPECT_EQ(h.timeouts(), 3);
    EXPECT_FALSE(h.timer.isActive());
    EXPECT_FALSE(h.clock.armed());
}

TEST(DeadlineTimer, HandlerThatRestartsBeginsANewSchedule)
{
    Harness h(1000);
    bool restarted = false;
    QObject::connect(&h.timer, &DeadlineTimer::timeout, [&] {
        if (!restarted) {
            restarted = true;
            h.clock.now += 300 * kMs;
            h.timer.start(); // at 1300
        }
    });
    h.timer.start();
    h.clock.runTo(1000);
    EXPECT_EQ(h.timeouts(), 1);
    EXPECT_EQ(h.timer.ticks(), 0);
    h.clock.runTo(2299);
    EXPECT_EQ(h.timeouts(), 1);
    h.clock.runTo(2300);
    EXPECT_EQ(h.timeouts(), 2);
    EXPECT_EQ(h.timer.ticks(), 1);
}

TEST(DeadlineTimer, NewIntervalCountsFromWhenItIsSet)
{
    Harness h(1000);
    h.timer.start();
    h.clock.runTo(2500);
    h.timer.setInterval(500);
    EXPECT_EQ(h.timer.interval(), 500);
    h.clock.runTo(2999);
    EXPECT_EQ(h.timer.ticks(), 2);
    h.clock.runTo(4000);
    EXPECT_EQ(h.tickTimes, (std::vector<qint64>{1000, 2000, 3000, 3500, 4000}));

    // The same interval again changes nothing.
    h.timer.setInterval(500);
    h.clock.runTo(4499);
    EXPECT_EQ(h.timer.ticks(), 5);
    h.clock.runTo(4500);
    EXPECT_EQ(h.timer.ticks(), 6);
}

TEST(DeadlineTimer, NoIntervalNoTicks)
{
    Harness h(0);
    h.timer.start();
    EXPECT_TRUE(h.timer.isActive());
    EXPECT_FALSE(h.clock.armed());
    h.clock.runTo(5000);
    EXPECT_EQ(h.timeouts(), 0);

    // Given an interval while switched on, it counts from then.
    h.timer.setInterval(1000);
    h.clock.runTo(5999);
    EXPECT_EQ(h.timeouts(), 0);
    h.clock.runTo(6000);
    EXPECT_EQ(h.tickTimes, std::vector<qint64>{6000});
}

TEST(DeadlineTimer, IntervalSetWhileStoppedTakesEffectAtStart)
{
    Harness h(0);
    h.timer.setInterval(1000);
    EXPECT_FALSE(h.clock.armed());
    h.clock.runTo(3000);
    h.timer.start();
    h.clock.runTo(4000);
    EXPECT_EQ(h.tickTimes, std::vector<qint64>{4000});
}

TEST(DeadlineTimer, GoneTimerLeavesNoWakeUp)
{
    FakeTickClock clock;
    {
        DeadlineTimer timer(1000, clock);
        timer.start();
        EXPECT_TRUE(clock.armed());
    }
    EXPECT_FALSE(clock.armed());
}

} // namespace
