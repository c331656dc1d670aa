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
    // When the last outcome happened: a tick's deadline, or a command's moment.
    qint64 outcomeNs() const { return outcomeNs_; }

    // --- commands ---
    // The start-up sequence; the sound-device check is made when a sound is first
    // due or checkSoundDevice() is called, whichever comes first.
    void load(std::function<bool()> soundDeviceCheck);
    void checkSoundDevice();
    // On a team's follower, these go to the leader (forwardTo()).
    void start() { give({Request::Start}); }
    void stop() { give({Request::Stop}); }
    void reset() { give({Request::Reset}); }               // the Reset button
    void stopAndReset() { give({Request::StopAndReset}); } // the R key
    void toggle() { give({Request::Toggle}); } // the S key: start, or stop a clock that S started
    void chooseMap(int map) { give({Request::Map, map}); }
    void chooseSpecial(GameModeTimers::Choice choice) { give({Request::Special, choice}); }
    // A delayed start; none: an entry that cannot be read.
    void delayedStart(std::optional<qint16> seconds)
    {
        give({Request::DelayedStart, seconds ? int(*seconds) : -1});
    }
    // Pressed as the console's clock turns its second: the ticks move to this
    // moment from the nearest tick of their phase, by at most half a second. A
    // tick due within that half second runs now; no tick is lost or doubled, and
    // a second held back or added stays so. atNs: the moment it was pressed, when
    // that was a little earlier (a tap on a phone, on this clock).
    void sync(std::optional<qint64> atNs = {}) { give({Request::Sync, 0, atNs}); }
    // +1: one tick at once, the phase kept. -1: the next tick, and every one after
    // it, a second later.
    void nudge(int step) { give({Request::Nudge, step}); }
    // The settings were saved (Options OK): they apply, and every countdown starts
    // afresh while the clock runs on.
    void reloadSettings();
    // The window has gone: no tick, count or sound comes any more.
    void halt();

    // A team leader's "Followers may drive the clock", at once: a reload of the
    // settings would start every countdown afresh.
    void setTeamDrive(bool may) { match_.settings.bTeamDrive = may; }

    // -500 to 500 ms; a sound later (+) or earlier (-) than its tick. The saved one
    // (calloutoffset) applies at load().
    void setCalloutOffset(int ms);

    // --- teams ---
    // A command as the methods above give it, for a team to carry to its leader.
    struct Request {
        enum Kind { Start, Stop, Reset, StopAndReset, Toggle, Map, Special, DelayedStart, Sync,
                    Nudge };
        Request(Kind k = Start, int v = 0, std::optional<qint64> at = {})
            : kind(k), value(v), atNs(at) {}
        Kind kind;
        int value; // the map, special choice, delay (negative: none) or nudge step
        std::optional<qint64> atNs; // a sync's moment
        bool operator==(const Request&) const = default;
    };
    // Carries a command out here, whoever gave it.
    void perform(const Request& request);
    // A follower's commands go to its leader; empty: they are carried out here.
    void forwardTo(std::function<void(const Request&)> leader);
    bool forwards() const { return bool(forward_); }

    // The ticks run since the program started, and when the next one is due
    // (none while the clock is stopped).
    quint64 ticksRun() const { return ticksRun_; }
    std::optional<qint64> nextTickNs() const;
    // No match has run here yet: no tick, no count. A team's leader back after a
    // crash takes the match of the first follower that has one.
    bool fresh() const
    {
        return ticksRun_ == 0 && !match_.bClockRunning && !match_.bDelayCounting;
    }

    // How a leader's state came to a follower.
    enum class Came { Joined, Tick, Command };
    // The leader's match after its tick number `serial`, with its next tick due at
    // nextTickNs on this clock. The follower runs its own ticks (its sounds from its
    // own settings) and lands them on the leader's phase: a tick the leader ran
    // first runs now, or with its own when that is due within a few ms; one of
    // ours that ran first is not run again. A phase a few ms off is moved by at
    // most kSlewStepNs a tick; farther off, or on joining, it is set at once and
    // no sound of the ticks missed plays.
    void follow(const Match::Shared& state, quint64 serial, qint64 nextTickNs, Came came);
    static constexpr qint64 kSlewStepNs = 1000000;
    static constexpr qint64 kSlewLimitNs = 5000000;

    // Whether the PC has been suspended since the last look: the monotonic clock
    // stood still while the time since boot ran on. A follower's phase and state
    // are stale then: it plays no sound until its leader's state lands again (for
    // at most kQuietAfterResumeMs), and resumed() tells its team to measure the
    // offset afresh. Looked at before each tick.
    bool checkResumed();
    static constexpr qint64 kAsleepNs = 500000000;
    static constexpr int kQuietAfterResumeMs = 3000;

    // --- the timers' event routines ---
    void tmrGameTimer_Timer();
    void tmrDelayedStart_Timer();

signals:
    // What a command or tick changed, once its sounds due now have been played.
    void changed(const Outcome& outcome);
    // A follower's PC has been suspended (checkResumed()).
    void resumed();

private:
    // Runs an outcome: the timers as the match says, its sounds at soundsAtNs
    // plus the offset; then tells the views.
    void run(const Outcome& outcome, qint64 soundsAtNs);
    void tick(qint64 atNs);
    void foresee();
    void play(const QStringList& files);
    void wake();
    void armSounds();
    void give(const Request& request);
    void adopt(const Match::Shared& state, quint64 serial);
    void alignNextTick(qint64 targetNs, bool atOnce);

    Match match_;
    SoundPlayer& sound_;
    DeadlineTimer tmrGameTimer;
    DeadlineTimer tmrDelayedStart;
    std::unique_ptr<TickClock> soundClock_;
    int calloutOffsetMs_ = 0;
    qint64 outcomeNs_ = 0;

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

    std::function<void(const Request&)> forward_;
    // A leader's tick that came a little before our own: taken after it.
    struct Pending {
        Match::Shared state;
        quint64 serial = 0;
        qint64 nextTickNs = 0;
    };
    std::optional<Pending> pending_;
    qint64 bootGapNs_;        // the time since boot less the monotonic time, at the last look
    qint64 quietUntilNs_ = 0; // a follower's sounds wait for its leader after a resume
};
