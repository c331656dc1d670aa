#include "timer/RunningMatch.h"

#include "platform/SoundPlayer.h"

#include <QDir>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>

namespace {
constexpr qint64 kNsPerMs = 1000000;
} // namespace

RunningMatch::RunningMatch(program::Files files, TickClocks& clocks, SoundPlayer& sound,
                           QObject* parent)
    : QObject(parent), match_(std::move(files)), sound_(sound),
      tmrGameTimer(1000, clocks.make()), tmrDelayedStart(1000, clocks.make()),
      soundClock_(clocks.make()), bootGapNs_(soundClock_->sinceBootNs() - soundClock_->nowNs())
{
    tmrGameTimer.setObjectName(QStringLiteral("tmrGameTimer"));
    tmrDelayedStart.setObjectName(QStringLiteral("tmrDelayedStart"));
    connect(&tmrGameTimer, &DeadlineTimer::timeout, this, &RunningMatch::tmrGameTimer_Timer);
    connect(&tmrDelayedStart, &DeadlineTimer::timeout, this, &RunningMatch::tmrDelayedStart_Timer);
}

RunningMatch::~RunningMatch()
{
    soundClock_->cancel();
}

// ---------------------------------------------------------------- commands

void RunningMatch::load(std::function<bool()> soundDeviceCheck)
{
    const Outcome outcome = match_.load(std::move(soundDeviceCheck));
    // Here and from the Sound Output window only: Options OK and the other
    // reloads leave the offset as it is.
    calloutOffsetMs_ = match_.settings.iCalloutOffset;
    run(outcome, soundClock_->nowNs());
}

void RunningMatch::checkSoundDevice()
{
    match_.checkSoundDevice();
}

void RunningMatch::give(const Request& request)
{
    forward_ ? forward_(request) : perform(request);
}

void RunningMatch::perform(const Request& r)
{
    const qint64 now = soundClock_->nowNs();
    switch (r.kind) {
    case Request::Start:
        return run(match_.start(), now);
    case Request::Stop:
        return run(match_.stop(), now);
    case Request::Reset:
        return run(match_.reset(), now);
    case Request::StopAndReset: {
        Outcome outcome = match_.stop();
        outcome += match_.reset();
        return run(outcome, now);
    }
    case Request::Toggle:
        return run(match_.toggle(), now);
    case Request::Map:
        return run(match_.chooseMap(r.value), now);
    case Request::Special:
        if (r.value < GameModeTimers::None || r.value > GameModeTimers::Neither)
            return;
        return run(match_.chooseSpecial(GameModeTimers::Choice(r.value)), now);
    case Request::DelayedStart:
        return run(match_.delayedStart(r.value < 0
                                           ? std::nullopt
                                           : std::optional(qint16(std::min(r.value, 32767)))),
                   now);
    case Request::Sync:
        if (match_.bClockRunning && tmrGameTimer.realign(r.atNs))
            return tick(now);
        return run({}, now);
    case Request::Nudge:
        if (match_.bClockRunning && r.value > 0)
            return tick(now);
        if (match_.bClockRunning && r.value < 0)
            tmrGameTimer.postpone(1000);
        return run({}, now);
    }
}

void RunningMatch::forwardTo(std::function<void(const Request&)> leader)
{
    forward_ = std::move(leader);
    pending_.reset();
}

void RunningMatch::reloadSettings()
{
    // A follower's own settings apply; the countdowns stay the leader's.
    const Match::Shared shared = match_.shared();
    Outcome outcome = match_.LoadNewSettings();
    if (forward_)
        match_.adopt(shared);
    run(outcome, soundClock_->nowNs());
}

void RunningMatch::halt()
{
    tmrGameTimer.stop();
    tmrDelayedStart.stop();
    due_.clear();
    foreseen_ = {};
    soundClock_->cancel();
}

void RunningMatch::setCalloutOffset(int ms)
{
    calloutOffsetMs_ = std::clamp(ms, -kLargestCalloutOffsetMs, kLargestCalloutOffsetMs);
    foresee();
    wake();
}

// ---------------------------------------------------------------- the timers

void RunningMatch::tmrGameTimer_Timer()
{
    // The timer keeps its own deadlines, so the tick need not switch it off and on.
    checkResumed();
    tick(tmrGameTimer.lastDeadlineNs());
}

void RunningMatch::tmrDelayedStart_Timer()
{
    run(match_.delayTick(), soundClock_->nowNs());
}

void RunningMatch::tick(qint64 atNs)
{
    Outcome outcome = match_.tick();
    ++ticksRun_;
    if (foreseen_.tick == ticksRun_) {
        // Heard ahead of the tick already, unless a command since has changed what
        // the tick says.
        if (foreseen_.played && foreseen_.files == outcome.sounds)
            outcome.sounds.clear();
        foreseen_ = {};
    }
    run(outcome, atNs);
    if (pending_ && pending_->serial == ticksRun_)
        follow(pending_->state, pending_->serial, pending_->nextTickNs, Came::Tick);
    pending_.reset();
}

// ---------------------------------------------------------------- teams

std::optional<qint64> RunningMatch::nextTickNs() const
{
    if (!match_.bClockRunning)
        return std::nullopt;
    return tmrGameTimer.nextDeadlineNs();
}

void RunningMatch::follow(const Match::Shared& state, quint64 serial, qint64 nextTickNs, Came came)
{
    constexpr qint64 kSecond = 1000 * kNsPerMs;
    pending_.reset();
    if (came == Came::Joined)
        quietUntilNs_ = 0;
    const bool both = match_.bClockRunning && state.running && tmrGameTimer.isActive();
    const bool ours = came == Came::Tick && both;
    if (both && came == Came::Command && serial + 1 == ticksRun_)
        // A command just before the leader's tick, and ours ran first: the leader's
        // state after its tick, with the command in it, comes next. Taken now, it
        // would run our tick again.
        return;
    if (ours && serial == ticksRun_ + 1) {
        // The leader's tick came before our own: ours runs with it when due within
        // a few ms, or else now.
        if (tmrGameTimer.nextDeadlineNs() - soundClock_->nowNs() <= kSlewLimitNs) {
            pending_ = Pending{state, serial, nextTickNs};
            return;
        }
        tick(soundClock_->nowNs());
        adopt(state, serial);
        return alignNextTick(nextTickNs, true);
    }
    if (ours && serial + 1 == ticksRun_)
        // Ours came first, and the next one too: the state has moved on already.
        return alignNextTick(nextTickNs + kSecond, false);
    const bool running = match_.bClockRunning && tmrGameTimer.isActive();
    const bool offStep = came == Came::Tick && !(ours && serial == ticksRun_);
    adopt(state, serial);
    alignNextTick(nextTickNs, came == Came::Joined || !running || offStep);
}

bool RunningMatch::checkResumed()
{
    const qint64 now = soundClock_->nowNs();
    const qint64 gap = soundClock_->sinceBootNs() - now;
    const bool asleep = gap - std::exchange(bootGapNs_, gap) > kAsleepNs;
    if (!asleep || !forward_)
        return false;
    quietUntilNs_ = now + kQuietAfterResumeMs * kNsPerMs;
    emit resumed();
    return true;
}

void RunningMatch::adopt(const Match::Shared& state, quint64 serial)
{
    match_.adopt(state);
    ticksRun_ = serial;
    foreseen_ = {};
    run({Outcome::Clock | Outcome::ItemTimes | Outcome::Controls}, soundClock_->nowNs());
}

void RunningMatch::alignNextTick(qint64 targetNs, bool atOnce)
{
    if (!match_.bClockRunning)
        return;
    const qint64 next = tmrGameTimer.nextDeadlineNs();
    const qint64 error = targetNs - next;
    if (atOnce || std::abs(error) > kSlewLimitNs)
        tmrGameTimer.moveNextDeadline(targetNs);
    else
        tmrGameTimer.moveNextDeadline(next + std::clamp(error, -kSlewStepNs, kSlewStepNs));
    foresee();
    wake();
}

// ---------------------------------------------------------------- outcomes and sounds

void RunningMatch::run(const Outcome& outcome, qint64 soundsAtNs)
{
    if (outcome.loads > 0) {
        sound_.setOutput({match_.settings.sOutputDevice.toUtf8(), match_.settings.iVolume});
        // The shipped sounds, and the default sound as chosen now, are read ahead.
        const QDir sounds(match_.files().data + QStringLiteral("/sounds"));
        QStringList files;
        for (const QString& name : sounds.entryList({QStringLiteral("*.wav")}, QDir::Files))
            files << sounds.filePath(name);
        if (!match_.settings.sDefaultSoundFileName.isEmpty())
            files << match_.settings.sDefaultSoundFileName;
        sound_.prepare(files);
    }
    // Switching on a timer that already runs would restart its interval.
    if (match_.bClockRunning != tmrGameTimer.isActive())
        match_.bClockRunning ? tmrGameTimer.start() : tmrGameTimer.stop();
    if (outcome.changed & Outcome::DelayRestarted)
        tmrDelayedStart.start();
    else if (!match_.bDelayCounting)
        tmrDelayedStart.stop();
    if (!outcome.sounds.isEmpty()) {
        const qint64 at = soundsAtNs + calloutOffsetMs_ * kNsPerMs;
        const auto place = std::upper_bound(due_.begin(), due_.end(), at,
                                            [](qint64 t, const Due& d) { return t < d.atNs; });
        due_.insert(place, {at, outcome.sounds});
    }
    foresee();
    wake();
    outcomeNs_ = soundsAtNs;
    emit changed(outcome);
}

void RunningMatch::foresee()
{
    if (calloutOffsetMs_ >= 0 || !match_.bClockRunning) {
        foreseen_ = {};
        return;
    }
    const quint64 next = ticksRun_ + 1;
    if (foreseen_.tick == next && foreseen_.played)
        return;
    // The copy must not make the sound-device check a second time.
    match_.checkSoundDevice();
    Match ahead = match_;
    foreseen_ = {next, ahead.tick().sounds,
                 tmrGameTimer.nextDeadlineNs() + calloutOffsetMs_ * kNsPerMs, false};
}

void RunningMatch::play(const QStringList& files)
{
    if (soundClock_->nowNs() < quietUntilNs_)
        return;
    for (const QString& file : files)
        sound_.play(file);
}

void RunningMatch::wake()
{
    const qint64 now = soundClock_->nowNs();
    while (!due_.empty() && due_.front().atNs <= now) {
        const Due due = std::move(due_.front());
        due_.erase(due_.begin());
        play(due.files);
    }
    if (!foreseen_.played && !foreseen_.files.isEmpty() && foreseen_.atNs <= now) {
        foreseen_.played = true;
        play(foreseen_.files);
    }
    armSounds();
}

void RunningMatch::armSounds()
{
    qint64 next = due_.empty() ? std::numeric_limits<qint64>::max() : due_.front().atNs;
    if (!foreseen_.played && !foreseen_.files.isEmpty())
        next = std::min(next, foreseen_.atNs);
    if (next == std::numeric_limits<qint64>::max()) {
        soundClock_->cancel();
        return;
    }
    // Rounded up, so that the wake-up does not come before the sound is due.
    const qint64 waitNs = std::max<qint64>(0, next - soundClock_->nowNs());
    soundClock_->wakeAfter(int((waitNs + kNsPerMs - 1) / kNsPerMs), [this] { wake(); });
}
