#pragma once

#include <QtGlobal>

#include <deque>
#include <optional>

namespace team {

// How far the leader's monotonic clock is ahead of ours, NTP-style. Each exchange
// is a ping sent at t0 and answered at t3 on our clock, with the leader's clock
// read at t1 in between; its round trip is t3 - t0, and the leader's reading
// stood for the middle of it. A sample is off by at most half its round trip, and
// by less the more even the two ways were, which the shortest round trips are
// most likely to be: of a burst, and of the last few bursts, the shortest wins.
class OffsetFilter {
public:
    struct Sample {
        qint64 offsetNs = 0; // leader minus ours
        qint64 rttNs = 0;
    };
    static constexpr int kBursts = 4; // the bursts the estimate looks back on

    void add(qint64 t0, qint64 t1, qint64 t3);
    // The next samples start a new burst; the oldest beyond kBursts is forgotten.
    void endBurst();
    void clear()
    {
        bursts_.clear();
        open_ = false;
    }
    std::optional<Sample> estimate() const;

private:
    std::deque<Sample> bursts_; // each burst's best, the newest last
    bool open_ = false;         // the newest is still taking samples
};

} // namespace team
