#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// A periodic timer whose ticks fall on fixed deadlines: start + n x interval,
// measured on the monotonic clock. Unlike a timer re-armed after each tick, the
// time a tick's handler takes does not push the later ticks back.
//
// - the first tick comes one full interval after start();
// - a tick never starts while the previous one runs: the next wake-up is armed
//   only when the handler has returned (a late tick is followed at once by the
//   ones it owes, so the count of ticks keeps up with real time);
// - a wake-up that comes before its deadline ticks nothing and waits again;
// - stop() freezes; start() begins a full new interval from now;
// - a new interval set while the timer runs counts from the moment it is set;
// - with no interval (0 or less) the timer does not tick, even when started.
class DeadlineTimer : public QObject {
    Q_OBJECT
public:
    // Monotonic time in nanoseconds. Tests hand in a clock of their own.
    using Clock = std::function<qint64()>;

    explicit DeadlineTimer(int intervalMs = 1000, QObject* parent = nullptr);
    DeadlineTimer(int intervalMs, Clock clock, QObject* parent = nullptr);

    void setInterval(int intervalMs);
    int interval() const { return interval_; }

    void start();
    void stop();
    bool isActive() const { return active_; }

    // Ticks since the last start().
    qint64 ticks() const { return ticks_; }

signals:
    void timeout();

private:
    qint64 nextDeadlineNs() const;
    void arm();
    void wake();

    Clock clock_;
    QTimer wake_;
    int interval_;
    bool active_ = false;
    qint64 ticks_ = 0;
    // The schedule counts from here: start(), or the last change of interval.
    qint64 originNs_ = 0;
    qint64 ticksAtOrigin_ = 0;
};
