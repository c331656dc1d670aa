#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

// The monotonic time and the wake-ups a DeadlineTimer runs on. The timer's own is
// the steady clock with a precise QTimer; tests hand in one that they move by hand.
class TickClock {
public:
    virtual ~TickClock() = default;
    // Monotonic time in nanoseconds.
    virtual qint64 nowNs() const = 0;
    // Time since boot, which runs on while the PC is suspended and the monotonic
    // clock stands still: the gap between the two grows by the time asleep.
    virtual qint64 sinceBootNs() const { return nowNs(); }
    // Calls wake once, some ms milliseconds from now; replaces a wake-up not yet given.
    virtual void wakeAfter(int ms, std::function<void()> wake) = 0;
    virtual void cancel() = 0;
};

// Makes the clocks that timers run on, one per timer: the steady clock in the
// program, clocks moved by hand in tests.
class TickClocks {
public:
    virtual ~TickClocks() = default;
    virtual std::unique_ptr<TickClock> make() = 0;
};

class SteadyTickClocks : public TickClocks {
public:
    std::unique_ptr<TickClock> make() override;
};

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
// - with no interval (0 or less) the timer does not tick, even when started.
class DeadlineTimer : public QObject {
    Q_OBJECT
public:
    explicit DeadlineTimer(int intervalMs = 1000, QObject* parent = nullptr);
    DeadlineTimer(int intervalMs, std::unique_ptr<TickClock> clock, QObject* parent = nullptr);
    ~DeadlineTimer() override;

    void start();
    void stop();
    bool isActive() const { return active_; }

    // Ticks since the last start().
    qint64 ticks() const { return ticks_; }

    // The deadline of the next tick, and of the last one (or start()).
    qint64 nextDeadlineNs() const;
    qint64 lastDeadlineNs() const;

    // The schedule moves, by at most half an interval, so that its nearest tick
    // falls on this moment (or on atNs, a moment just past). Returns true when
    // that tick is the next one, still to come: it counts as given now, and the
    // caller runs it.
    bool realign(std::optional<qint64> atNs = {});
    // The next tick, and every one after it, comes ms later.
    void postpone(int ms);
    // The next tick comes at this moment, and the ones after it on its phase.
    void moveNextDeadline(qint64 atNs);

signals:
    void timeout();

private:
    void arm();
    void wake();

    std::unique_ptr<TickClock> clock_;
    int interval_;
    bool active_ = false;
    qint64 ticks_ = 0;
    // Tick n is due at originNs_ + n x interval: start(), moved by realign() and postpone().
    qint64 originNs_ = 0;
};
