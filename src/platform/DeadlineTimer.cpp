#include "platform/DeadlineTimer.h"

#include <QPointer>

#include <algorithm>
#include <chrono>
#include <limits>

namespace {

constexpr qint64 kNsPerMs = 1000000;

// Qt's timers run on the same monotonic clock.
qint64 steadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

DeadlineTimer::DeadlineTimer(int intervalMs, QObject* parent)
    : DeadlineTimer(intervalMs, steadyNowNs, parent)
{
}

DeadlineTimer::DeadlineTimer(int intervalMs, Clock clock, QObject* parent)
    : QObject(parent), clock_(std::move(clock)), interval_(intervalMs)
{
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    connect(&wake_, &QTimer::timeout, this, &DeadlineTimer::wake);
}

void DeadlineTimer::setInterval(int intervalMs)
{
    if (intervalMs == interval_)
        return;
    interval_ = intervalMs;
    if (!active_)
        return;
    // Counting the ticks already given in the new interval would put the next
    // deadline far off or long past.
    originNs_ = clock_();
    ticksAtOrigin_ = ticks_;
    arm();
}

void DeadlineTimer::start()
{
    active_ = true;
    ticks_ = 0;
    originNs_ = clock_();
    ticksAtOrigin_ = 0;
    arm();
}

void DeadlineTimer::stop()
{
    active_ = false;
    wake_.stop();
}

qint64 DeadlineTimer::nextDeadlineNs() const
{
    return originNs_ + (ticks_ - ticksAtOrigin_ + 1) * qint64(interval_) * kNsPerMs;
}

void DeadlineTimer::arm()
{
    if (interval_ <= 0) {
        wake_.stop();
        return;
    }
    const qint64 waitNs = nextDeadlineNs() - clock_();
    // Round up, so that the wake-up does not come before the deadline.
    const qint64 waitMs = std::clamp<qint64>((waitNs + kNsPerMs - 1) / kNsPerMs, 0,
                                             std::numeric_limits<int>::max());
    wake_.start(int(waitMs));
}

void DeadlineTimer::wake()
{
    if (!active_ || interval_ <= 0)
        return;
    if (clock_() < nextDeadlineNs()) {
        arm();
        return;
    }
    ++ticks_;
    const QPointer<DeadlineTimer> alive(this);
    emit timeout();
    // The handler may have stopped, restarted or deleted us.
    if (alive && active_)
        arm();
}
