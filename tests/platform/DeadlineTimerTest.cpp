// The tick schedule on a clock that the test moves by hand: nothing sleeps and
// nothing waits for the event loop.

#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr qint64 kMs = FakeClocks::kMs;

struct Harness {
    FakeClocks clock;
    std::unique_ptr<DeadlineTimer> timer = std::make_unique<DeadlineTimer>(1000, clock.make());
};

TEST(DeadlineTimer, TicksFallOnTheDeadlines)
{
    const struct {
        const char* what;
        std::function<void(Harness&)> handler; // what each tick's handler does
        // What is done to the clock after start(): @MS it runs to MS, !MS it jumps
        // there late (the program was held up), w a wake-up comes now.
        const char* steps;
        std::vector<qint64> tickTimes; // when each tick's handler began
    } cases[] = {
        {"the handler's time does not push the next tick back",
         [](Harness& h) { h.clock.now += 700 * kMs; }, "@4000", {1000, 2000, 3000, 4000}},
        {"after a stall the owed ticks come at once", {}, "!4500 @5000",
         {4500, 4500, 4500, 4500, 5000}},
        {"an early wake-up ticks nothing and waits for the rest", {}, "@400 w @1000", {1000}},
        {"stopped by the handler", [](Harness& h) { h.timer->stop(); }, "@4500", {1000}},
        {"restarted by the handler, 300 ms into the tick",
         [](Harness& h) { h.clock.now += 300 * kMs; h.timer->start(); }, "@4500",
         {1000, 2300, 3600}},
        {"deleted by the handler, after it asked for a wake-up",
         [](Harness& h) { h.timer->start(); h.timer.reset(); }, "@4500", {1000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        std::vector<qint64> tickTimes;
        QObject::connect(h.timer.get(), &DeadlineTimer::timeout, [&] {
            tickTimes.push_back(h.clock.now / kMs);
            // The next wake-up is asked for only when the handler is done: a tick
            // never starts inside the one before it.
            EXPECT_FALSE(h.clock.armed()) << "wake-up pending in the tick at " << tickTimes.back();
            if (c.handler)
                c.handler(h);
        });
        h.timer->start();
        for (const QString& s : QString(c.steps).split(' '))
            s == "w" ? h.clock.wakeNow() : h.clock.runTo(s.mid(1).toLongLong(), s[0] == '!');
        EXPECT_EQ(tickTimes, c.tickTimes);
    }
}

} // namespace
