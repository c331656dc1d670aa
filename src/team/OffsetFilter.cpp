#include "team/OffsetFilter.h"

#include <algorithm>

namespace team {

void OffsetFilter::add(qint64 t0, qint64 t1, qint64 t3)
{
    if (t3 < t0) // not from this clock
        return;
    const Ways ways{t1 - t0, t3 - t1};
    if (!open_) {
        bursts_.push_back(ways);
        open_ = true;
    } else {
        bursts_.back().there = std::min(bursts_.back().there, ways.there);
        bursts_.back().back = std::min(bursts_.back().back, ways.back);
    }
    while (bursts_.size() > kBursts)
        bursts_.pop_front();
}

void OffsetFilter::endBurst()
{
    open_ = false;
}

std::optional<OffsetFilter::Sample> OffsetFilter::estimate() const
{
    if (bursts_.empty())
        return std::nullopt;
    const qint64 there = std::ranges::min_element(bursts_, {}, &Ways::there)->there;
    const qint64 back = std::ranges::min_element(bursts_, {}, &Ways::back)->back;
    return Sample{(there - back) / 2, there + back};
}

} // namespace team
