// The tick schedule, driven by a clock of the test's own: the wake-ups that are
// due fire at once, the others never come within the test, so nothing sleeps.

#include "platform/DeadlineTimer.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr qint64 kMs = 1000000; // nanoseconds

struct Harness {
    qint64 now = 0;
    DeadlineTimer timer;
    int timeouts = 0;
    std::vector<qint64> tickTimes; // the clock as each handler began, in ms

    explicit Harness(int intervalMs) : timer(intervalMs, [this] { return now; })
    {
        QObject::connect(&timer, &DeadlineTimer::timeout, [this] {
            ++timeouts;
            tickTimes.push_back(now / kMs);
        });
    }

    // Lets every wake-up that is due run; one tick per pass at most.
    void pump()
    {
        for (int i = 0; i < 200; ++i)
            QCoreApplication::processEvents();
    }

    void at(qint64 ms)
    {
        now = ms * kMs;
        pump();
    }
};

TEST(DeadlineTimer, TicksFallOnTheDeadlinesFromStart)
{
    Harness h(1000);
    h.timer.start();
    EXPECT_TRUE(h.timer.isActive());

    const struct {
        qint64 ms;
        qint64 ticks;
    } steps[] = {{0, 0},    {999, 0},  {1000, 1}, {1001, 1}, {1999, 1},
                 {2000, 2}, {5500, 5}, {5999, 5}, {6000, 6}, {60000, 60}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.ms);
        h.at(step.ms);
        EXPECT_EQ(h.timer.ticks(), step.ticks);
        EXPECT_EQ(h.timeouts, step.ticks);
    }
}

TEST(DeadlineTimer, LateTicksAreMadeUpAtOnce)
{
    Harness h(1000);
    h.timer.start();
    h.at(4500);
    EXPECT_EQ(h.tickTimes, (std::vector<qint64>{4500, 4500, 4500, 4500}));
    h.at(5000);
    EXPECT_EQ(h.timer.ticks(), 5);
}

TEST(DeadlineTimer, WorkInTheHandlerDoesNotPushLaterTicksBack)
{
    Harness h(1000);
    // Each tick takes 700 ms; a timer re-armed after the tick would come at 2700.
    QObject::connect(&h.timer, &DeadlineTimer::timeout, [&h] { h.now += 700 * kMs; });
    h.timer.start();
    for (qint64 second = 1; second <= 10; ++second) {
        h.at(second * 1000 - 1);
        EXPECT_EQ(h.timer.ticks(), second - 1);
        h.at(second * 1000);
        EXPECT_EQ(h.timer.ticks(), second);
    }
    EXPECT_EQ(h.tickTimes,
              (std::vector<qint64>{1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000}));
}

TEST(DeadlineTimer, StopFreezesAndStartBeginsAFullIntervalFromNow)
{
    Harness h(1000);
    h.timer.start();
    h.at(2500);
    h.timer.stop();
    EXPECT_FALSE(h.timer.isActive());
    h.at(10000);
    EXPECT_EQ(h.timeouts, 2);
    EXPECT_EQ(h.timer.ticks(), 2);

    h.timer.start();
    EXPECT_EQ(h.timer.ticks(), 0);
    h.at(10999);
    EXPECT_EQ(h.timeouts, 2);
    h.at(11000);
    EXPECT_EQ(h.timeouts, 3);
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
    h.at(10000);
    EXPECT_EQ(h.timeouts, 3);
    EXPECT_FALSE(h.timer.isActive());
}

TEST(DeadlineTimer, HandlerThatRestartsBeginsANewSchedule)
{
    Harness h(1000);
    bool restarted = false;
    QObject::connect(&h.timer, &DeadlineTimer::timeout, [&] {
        if (!restarted) {
            restarted = true;
            h.now += 300 * kMs;
            h.timer.start(); // at 1300
        }
    });
    h.timer.start();
    h.at(1000);
    EXPECT_EQ(h.timeouts, 1);
    EXPECT_EQ(h.timer.ticks(), 0);
    h.at(2299);
    EXPECT_EQ(h.timeouts, 1);
    h.at(2300);
    EXPECT_EQ(h.timeouts, 2);
    EXPECT_EQ(h.timer.ticks(), 1);
}

TEST(DeadlineTimer, NewIntervalCountsFromWhenItIsSet)
{
    Harness h(1000);
    h.timer.start();
    h.at(2500);
    h.timer.setInterval(500);
    EXPECT_EQ(h.timer.interval(), 500);
    h.at(2999);
    EXPECT_EQ(h.timer.ticks(), 2);
    h.at(3000);
    EXPECT_EQ(h.timer.ticks(), 3);
    h.at(4000);
    EXPECT_EQ(h.timer.ticks(), 5);
    EXPECT_EQ(h.tickTimes, (std::vector<qint64>{1000, 2000, 3000, 4000, 4000}));

    // The same interval again changes nothing.
    h.timer.setInterval(500);
    h.at(4499);
    EXPECT_EQ(h.timer.ticks(), 5);
    h.at(4500);
    EXPECT_EQ(h.timer.ticks(), 6);
}

TEST(DeadlineTimer, NoIntervalNoTicks)
{
    Harness h(0);
    h.timer.start();
    EXPECT_TRUE(h.timer.isActive());
    h.at(0);
    h.at(5000);
    EXPECT_EQ(h.timeouts, 0);

    // Given an interval while switched on, it counts from then.
    h.timer.setInterval(1000);
    h.at(5999);
    EXPECT_EQ(h.timeouts, 0);
    h.at(6000);
    EXPECT_EQ(h.timeouts, 1);
}

TEST(DeadlineTimer, SetIntervalWhileStoppedThenStart)
{
    Harness h(0);
    h.timer.setInterval(1000);
    h.at(3000);
    EXPECT_EQ(h.timeouts, 0);
    h.timer.start();
    h.at(3999);
    EXPECT_EQ(h.timeouts, 0);
    h.at(4000);
    EXPECT_EQ(h.timeouts, 1);
}

} // namespace
