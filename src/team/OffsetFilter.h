#pragma once

#include <QtGlobal>

#include <deque>
#include <optional>

namespace team {

// How far the leader's monotonic clock is ahead of ours, NTP-style. Each exchange
// is a ping sent at t0 and answered at t3 on our clock, with the leader's clock
// read at t1 in between: t1 - t0 is the offset plus the way there, t3 - t1 the way
// back minus the offset. The quickest exchanges tell the most: of the last few
// bursts, the smallest of each way is taken, and the offset is half their
// difference, off by half the difference of the two ways' quickest delays. Taking
// each way's smallest, rather than the one exchange with the smallest round trip,
// needs far fewer exchanges to find both ways near their quickest when each way's
// delay varies on its own (a busy Wi-Fi); the clocks' drift over the few bursts
// looked back on (tens of microseconds) is well below a tick's own jitter.
class OffsetFilter {
public:
    struct Sample {
        qint64 offsetNs = 0; // leader minus ours
        qint64 rttNs = 0;    // the two ways' quickest, together
    };
    static constexpr int kBursts = 4; // the bursts the estimate looks back on

    void add(qint64 t0, qint64 t1, qint64 t3);
    // The next exchanges start a new burst; the oldest beyond kBursts is forgotten.
    void endBurst();
    void clear()
    {
        bursts_.clear();
        open_ = false;
    }
    std::optional<Sample> estimate() const;

private:
    struct Ways {
        qint64 there, back; // each way's quickest of a burst, the offset included
    };
    std::deque<Ways> bursts_; // the newest last
    bool open_ = false;       // the newest is still taking exchanges
};

} // namespace team
