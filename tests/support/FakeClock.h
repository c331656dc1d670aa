#pragma once

#include "platform/DeadlineTimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

// Clocks that a test moves by hand: nothing sleeps and nothing waits for the
// event loop. All clocks made share one time; each holds one wake-up.
class FakeClocks : public TickClocks {
public:
    static constexpr qint64 kMs = 1000000; // nanoseconds
    qint64 now = 0;

    std::unique_ptr<TickClock> make() override { return std::make_unique<Clock>(*this); }

    bool armed() const
    {
        return std::ranges::any_of(clocks_, [](Clock* c) { return bool(c->wake); });
    }

    // Time runs to ms, each wake-up coming when it is due; or, when late, time jumps
    // there at once (the program was held up) and the wake-ups owed come then.
    void runTo(qint64 ms, bool late = false)
    {
        if (late)
            now = std::max(now, ms * kMs);
        // Bounded: a schedule that never lets time pass would loop here forever.
        for (int i = 0; i < 100000; ++i) {
            const auto next = std::ranges::min_element(clocks_, {}, &Clock::wakeAt);
            if (next == clocks_.end() || (*next)->wakeAt() > ms * kMs)
                break;
            now = std::max(now, (*next)->due);
            (*next)->fire();
        }
        now = std::max(now, ms * kMs);
    }

    // Every pending wake-up comes now, due or not.
    void wakeNow()
    {
        for (Clock* c : std::vector<Clock*>(clocks_))
            if (std::find(clocks_.begin(), clocks_.end(), c) != clocks_.end() && c->wake)
                c->fire();
    }

private:
    struct Clock : TickClock {
        explicit Clock(FakeClocks& owner) : owner(owner) { owner.clocks_.push_back(this); }
        ~Clock() override { std::erase(owner.clocks_, this); }
        qint64 nowNs() const override { return owner.now; }
        void wakeAfter(int ms, std::function<void()> fn) override
        {
            // Qt's timers refuse a negative wait, so asking this one for it fails the test.
            EXPECT_GE(ms, 0) << "a wake-up asked for a negative wait";
            due = owner.now + ms * kMs;
            wake = std::move(fn);
        }
        void cancel() override { wake = nullptr; }
        void fire() { std::exchange(wake, nullptr)(); }
        qint64 wakeAt() const { return wake ? due : std::numeric_limits<qint64>::max(); }

        FakeClocks& owner;
        qint64 due = 0;
        std::function<void()> wake;
    };
    std::vector<Clock*> clocks_;
};
