#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// A periodic timer whose ticks fall on fixed deadlines: start + n x interval,
// measured on the monotonic clock. Unlike a timer re-armed after each tick, the
// time a tick's handler takes does not push the later ticks back.
//
// - the first tick comes one full interval after start();
// - a tick never starts while the previous one runs: the next wake-up is armed
//   only when the handler has returned (a late tick is followed at once by the
//   ones it owes, so the count of ticks keeps up with real time);
// - stop() freezes; start() begins a full new interval from now.
class DeadlineTimer : public QObject {
    Q_OBJECT
public:
    explicit DeadlineTimer(int intervalMs = 1000, QObject* parent = nullptr);

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
    void fire();
    void armNext();

    QTimer wake_;
    QElapsedTimer clock_;
    int interval_;
    bool active_ = false;
    qint64 ticks_ = 0;
    quint64 generation_ = 0;
};
