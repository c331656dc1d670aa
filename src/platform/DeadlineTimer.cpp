#include "platform/DeadlineTimer.h"

#include <algorithm>

DeadlineTimer::DeadlineTimer(int intervalMs, QObject* parent)
    : QObject(parent), interval_(intervalMs)
{
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    connect(&wake_, &QTimer::timeout, this, &DeadlineTimer::fire);
}

void DeadlineTimer::setInterval(int intervalMs)
{
    interval_ = intervalMs;
}

void DeadlineTimer::start()
{
    ++generation_;
    active_ = true;
    ticks_ = 0;
    clock_.start();
    armNext();
}

void DeadlineTimer::stop()
{
    ++generation_;
    active_ = false;
    wake_.stop();
}

void DeadlineTimer::armNext()
{
    const qint64 dueNs = (ticks_ + 1) * qint64(interval_) * 1000000;
    const qint64 waitNs = dueNs - clock_.nsecsElapsed();
    // Round up so that a tick never comes before its deadline.
    const qint64 waitMs = std::max<qint64>(0, (waitNs + 999999) / 1000000);
    wake_.start(int(waitMs));
}

void DeadlineTimer::fire()
{
    const quint64 generation = generation_;
    ++ticks_;
    emit timeout();
    // The handler may have stopped or restarted us; then the schedule is theirs.
    if (active_ && generation == generation_)
        armNext();
}
