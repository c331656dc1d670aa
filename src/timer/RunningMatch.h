#pragma once

#include "platform/DeadlineTimer.h"
#include "timer/Match.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SoundPlayer;

// The match as it runs: it owns the match, the game clock's and the delayed
// start's timers, and plays the sounds. Every driver (the window's buttons, keys
// and menus, the command line, the session bus, the global shortcuts) gives its
// commands here, and every view shows what changed() tells it.
//
// Sounds are scheduled apart from the ticks: the callout offset moves them
// against their ticks, by at most half a second either way, for a PC whose
// sound output lags. A sound due before its tick is foreseen: the next tick is
// run ahead on a copy of the match.
class RunningMatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kLargestCalloutOffsetMs = 500;

    RunningMatch(program::Files files, TickClocks& clocks, SoundPlayer& sound,
                 QObject* parent = nullptr);
    ~RunningMatch() override;

    const Match& match() const { return match_; }
    const program::Files& files() const { return match_.files(); }
    // The monotonic clock the match runs on, in nanoseconds.
    qint64 nowNs() const { return soundClock_->nowNs(); }

    // --- commands ---
    // The start-up sequence; the sound-device check is made when a sound is first
    // due or checkSoundDevice() is called, whichever comes first.
    void load(std::function<bool()> soundDeviceCheck);
    void checkSoundDevice();
    void start();
    void stop();
    void reset();        // the Reset button
    void stopAndReset(); // the R key
    void toggle();       // the S key: start, or stop a clock that S started
    void chooseMap(int map);
    void chooseSpecial(GameModeTimers::Choice choice);
    // A delayed start; none: an entry that cannot be read.
    void delayedStart(std::optional<qint16> seconds);
    // Pressed as the console's clock turns its second: the ticks move to this
    // moment from the nearest tick of their phase, by at most half a second. A
    // tick due within that half second runs now; no tick is lost or doubled, and
    // a second held back or added stays so. atNs: the moment it was pressed, when
    // that was a little earlier (a tap on a phone, on this clock).
    void sync(std::optional<qint64> atNs = {});
    // +1: one tick at once, the phase kept. -1: the next tick, and every one after
    // it, a second later.
    void nudge(int step);
    // The settings were saved (Options OK): they apply, and every countdown starts
    // afresh while the clock runs on.
    void reloadSettings();
    // The window has gone: no tick, count or sound comes any more.
    void halt();

    // -500 to 500 ms; a sound later (+) or earlier (-) than its tick.
    void setCalloutOffset(int ms);

    // --- the timers' event routines ---
    void tmrGameTimer_Timer();
    void tmrDelayedStart_Timer();

signals:
    // What a command or tick changed, once its sounds due now have been played.
    void changed(const Outcome& outcome);

private:
    // Runs an outcome: the timers as the match says, its sounds at soundsAtNs
    // plus the offset; then tells the views.
    void run(const Outcome& outcome, qint64 soundsAtNs);
    void tick(qint64 atNs);
    void foresee();
    void play(const QStringList& files);
    void wake();
    void armSounds();

    Match match_;
    SoundPlayer& sound_;
    DeadlineTimer tmrGameTimer;
    DeadlineTimer tmrDelayedStart;
    std::unique_ptr<TickClock> soundClock_;
    int calloutOffsetMs_ = 0;

    struct Due {
        qint64 atNs;
        QStringList files;
    };
    std::vector<Due> due_; // in the order they come
    // The sounds of one tick, by its number in ticksRun_, played ahead of it.
    struct Foreseen {
        quint64 tick = 0;
        QStringList files;
        qint64 atNs = 0;
        bool played = false;
    } foreseen_;
    quint64 ticksRun_ = 0;
};
