#include "timer/RunningMatch.h"

#include "platform/SoundPlayer.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {
constexpr qint64 kNsPerMs = 1000000;
} // namespace

RunningMatch::RunningMatch(program::Files files, TickClocks& clocks, SoundPlayer& sound,
                           QObject* parent)
    : QObject(parent), match_(std::move(files)), sound_(sound),
      tmrGameTimer(1000, clocks.make()), tmrDelayedStart(1000, clocks.make()),
      soundClock_(clocks.make())
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
    run(match_.load(std::move(soundDeviceCheck)), soundClock_->nowNs());
}

void RunningMatch::checkSoundDevice()
{
    match_.checkSoundDevice();
}

void RunningMatch::start()
{
    run(match_.start(), soundClock_->nowNs());
}

void RunningMatch::stop()
{
    run(match_.stop(), soundClock_->nowNs());
}

void RunningMatch::reset()
{
    run(match_.reset(), soundClock_->nowNs());
}

void RunningMatch::stopAndReset()
{
    Outcome outcome = match_.stop();
    outcome += match_.reset();
    run(outcome, soundClock_->nowNs());
}

void RunningMatch::toggle()
{
    run(match_.toggle(), soundClock_->nowNs());
}

void RunningMatch::chooseMap(int map)
{
    run(match_.chooseMap(map), soundClock_->nowNs());
}

void RunningMatch::chooseSpecial(GameModeTimers::Choice choice)
{
    run(match_.chooseSpecial(choice), soundClock_->nowNs());
}

void RunningMatch::delayedStart(std::optional<qint16> seconds)
{
    run(match_.delayedStart(seconds), soundClock_->nowNs());
}

void RunningMatch::sync(std::optional<qint64> atNs)
{
    if (match_.bClockRunning && tmrGameTimer.realign(atNs))
        tick(soundClock_->nowNs());
    else
        run({}, soundClock_->nowNs());
}

void RunningMatch::nudge(int step)
{
    if (match_.bClockRunning && step > 0)
        return tick(soundClock_->nowNs());
    if (match_.bClockRunning && step < 0)
        tmrGameTimer.postpone(1000);
    run({}, soundClock_->nowNs());
}

void RunningMatch::reloadSettings()
{
    run(match_.LoadNewSettings(), soundClock_->nowNs());
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
}

// ---------------------------------------------------------------- outcomes and sounds

void RunningMatch::run(const Outcome& outcome, qint64 soundsAtNs)
{
    if (outcome.loads > 0)
        sound_.setOutput({match_.settings.sOutputDevice.toUtf8(), match_.settings.iVolume});
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
