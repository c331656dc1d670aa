#include "platform/DeadlineTimer.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <limits>
#include <utility>

namespace {

constexpr qint64 kNsPerMs = 1000000;

// The steady clock, which is the monotonic clock Qt's timers run on too.
class SteadyTickClock : public TickClock {
public:
    SteadyTickClock()
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (wake_)
                std::exchange(wake_, nullptr)();
        });
    }

    qint64 nowNs() const override
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    qint64 sinceBootNs() const override
    {
        timespec t{};
        clock_gettime(CLOCK_BOOTTIME, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }

    void wakeAfter(int ms, std::function<void()> wake) override
    {
        wake_ = std::move(wake);
        timer_.start(ms);
    }

    void cancel() override
    {
        timer_.stop();
        wake_ = nullptr;
    }

private:
    QTimer timer_;
    std::function<void()> wake_;
};

} // namespace

std::unique_ptr<TickClock> SteadyTickClocks::make()
{
    return std::make_unique<SteadyTickClock>();
}

DeadlineTimer::DeadlineTimer(int intervalMs, QObject* parent)
    : DeadlineTimer(intervalMs, std::make_unique<SteadyTickClock>(), parent)
{
}

DeadlineTimer::DeadlineTimer(int intervalMs, std::unique_ptr<TickClock> clock, QObject* parent)
    : QObject(parent), clock_(std::move(clock)), interval_(intervalMs)
{
}

DeadlineTimer::~DeadlineTimer()
{
    clock_->cancel();
}

void DeadlineTimer::start()
{
    active_ = true;
    ticks_ = 0;
    originNs_ = clock_->nowNs();
    arm();
}

void DeadlineTimer::stop()
{
    active_ = false;
    clock_->cancel();
}

bool DeadlineTimer::realign(std::optional<qint64> atNs)
{
    const qint64 interval = qint64(interval_) * kNsPerMs;
    if (interval <= 0)
        return false;
    const qint64 now = atNs.value_or(clock_->nowNs());
    const qint64 next = nextDeadlineNs();
    // How far this moment lies past the nearest tick of the schedule, in
    // [-interval/2, interval/2): half way between two ticks counts as the later one.
    qint64 shift = (now - next) % interval;
    if (shift < -interval / 2)
        shift += interval;
    else if (shift >= interval / 2)
        shift -= interval;
    const bool given = now - shift >= next;
    if (given)
        ++ticks_;
    originNs_ += shift;
    if (active_)
        arm();
    return given;
}

void DeadlineTimer::postpone(int ms)
{
    originNs_ += qint64(ms) * kNsPerMs;
    if (active_)
        arm();
}

void DeadlineTimer::moveNextDeadline(qint64 atNs)
{
    originNs_ += atNs - nextDeadlineNs();
    if (active_)
        arm();
}

qint64 DeadlineTimer::nextDeadlineNs() const
{
    return originNs_ + (ticks_ + 1) * qint64(interval_) * kNsPerMs;
}

qint64 DeadlineTimer::lastDeadlineNs() const
{
    return nextDeadlineNs() - qint64(interval_) * kNsPerMs;
}

void DeadlineTimer::arm()
{
    if (interval_ <= 0) {
        clock_->cancel();
        return;
    }
    const qint64 waitNs = nextDeadlineNs() - clock_->nowNs();
    // Round up, so that the wake-up does not come before the deadline.
    const qint64 waitMs = std::clamp<qint64>((waitNs + kNsPerMs - 1) / kNsPerMs, 0,
                                             std::numeric_limits<int>::max());
    clock_->wakeAfter(int(waitMs), [this] { wake(); });
}

void DeadlineTimer::wake()
{
    if (!active_ || interval_ <= 0)
        return;
    if (clock_->nowNs() < nextDeadlineNs()) {
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
