#include "team/OffsetFilter.h"

#include <algorithm>

namespace team {

void OffsetFilter::add(qint64 t0, qint64 t1, qint64 t3)
{
    const qint64 rtt = t3 - t0;
    if (rtt < 0) // not from this clock
        return;
    const Sample sample{t1 - (t0 + rtt / 2), rtt};
    if (!open_) {
        bursts_.push_back(sample);
        open_ = true;
    } else if (rtt < bursts_.back().rttNs) {
        bursts_.back() = sample;
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
    return *std::ranges::min_element(bursts_, {}, &Sample::rttNs);
}

} // namespace team
