#include "timer/Match.h"

#include "timer/Notification.h"

#include "settings/Ini.h"

#include <QScopeGuard>

#include <algorithm>

namespace {
constexpr qint16 kLargestHour = 32767;
} // namespace

QString Match::inDataFolder(const QString& relativeFile) const
{
    return files_.data + QLatin1Char('/') + relativeFile;
}

Outcome& Outcome::operator+=(const Outcome& other)
{
    changed |= other.changed;
    loads += other.loads;
    sounds += other.sounds;
    return *this;
}

// ---------------------------------------------------------------- start-up

Outcome Match::load(bool soundDevice)
{
    Outcome out = load([soundDevice] { return soundDevice; });
    checkSoundDevice();
    return out;
}

Outcome Match::load(std::function<bool()> soundDeviceCheck)
{
    iHours = 0;
    iMinutes = 0;
    iSeconds = 0;
    // The file is read once for the three reads below, which see the same text.
    const IniSnapshot ini(files_.settings);
    loading_ = &ini;
    const auto loaded = qScopeGuard([this] { loading_ = nullptr; });
    LoadTimes(ini);
    // Runs Reset and with it the first settings load; nothing sounds yet, as
    // bSoundDevice is still false.
    Outcome out = chooseMap(0);
    settings.iNotificationTime = Settings().iNotificationTime;
    iCurrentMap = 0;
    soundDeviceCheck_ = std::move(soundDeviceCheck);
    out += LoadNewSettings();
    special.reset();
    bSniperDue = bRocketDue = bCamoDue = bOvershieldDue = false;
    bHotkeyStarted = false;
    return out;
}

// ---------------------------------------------------------------- settings

Outcome Match::LoadNewSettings()
{
    // One read of the file for the whole load.
    std::optional<IniSnapshot> read;
    const IniSnapshot& ini = loading_ ? *loading_ : read.emplace(files_.settings);
    settings.read(ini);
    LoadTimes(ini);
    // Reloaded from the file first, so the PAL seconds are added only once.
    if (settings.bBoxType)
        respawn::applyBoxType(iTimes);
    Outcome out;
    out.loads = 1;
    return out;
}

void Match::LoadTimes(const IniSnapshot& ini)
{
    respawn::loadTimes(iTimes, iBaseTimes, ini);
}

// ---------------------------------------------------------------- the clock

Outcome Match::tick()
{
    Outcome out;
    // At the largest time the clock stands still; its fields do not change, so
    // no notification pass runs either.
    if (iHours == kLargestHour && iMinutes == 59 && iSeconds == 59)
        return out;
    if (++iSeconds == 60) {
        iSeconds = 0;
        ++iMinutes;
    }
    if (iMinutes == 60) {
        iMinutes = 0;
        ++iHours;
    }
    // The notification pass runs as the clock shows the new second, before the
    // countdown step: it sees the countdowns as they stood before this tick.
    Countdown(out);
    respawn::countDown(iTimes, iCurrentMap);
    special.countDown(specialChoice);
    RecalcTimes(out);
    return out;
}

void Match::Countdown(Outcome& out)
{
    out.changed |= Outcome::Clock;
    PlaySounds(out);
}

void Match::checkSoundDevice()
{
    if (soundDeviceCheck_)
        bSoundDevice = std::exchange(soundDeviceCheck_, nullptr)();
}

void Match::PlaySounds(Outcome& out)
{
    checkSoundDevice();
    if (!bSoundDevice)
        return;
    if (const QString notice = special.notice(specialChoice); !notice.isEmpty())
        out.sounds << inDataFolder(notice);

    notification::Input input;
    input.times = iTimes[iCurrentMap];
    input.notify = {settings.iNotifySniper, settings.iNotifyRocket, settings.iNotifyCamo,
                    settings.iNotifyOvershield};
    input.leadTime = settings.iNotificationTime;
    input.respawnSound = settings.bRespawnSound;
    const notification::Decision decision = notification::decide(input);
    bSniperDue = decision.due[respawn::Sniper];
    bRocketDue = decision.due[respawn::Rocket];
    bCamoDue = decision.due[respawn::Camo];
    bOvershieldDue = decision.due[respawn::Overshield];

    if (decision.playDefault)
        out.sounds << settings.sDefaultSoundFileName;
    else if (!decision.itemFile.isEmpty())
        out.sounds << inDataFolder(decision.itemFile);
}

void Match::RecalcTimes(Outcome& out)
{
    respawn::reloadExpired(iTimes, iBaseTimes, iCurrentMap);
    out.changed |= Outcome::ItemTimes;
}

Outcome Match::start()
{
    // A clock that already runs keeps its tick phase: the driver's timer is
    // started only when it was off.
    bClockRunning = true;
    enabled.start = enabled.reset = enabled.delayedStart = false;
    return {Outcome::Controls};
}

Outcome Match::stop()
{
    bClockRunning = false;
    enabled.start = enabled.reset = enabled.delayedStart = true;
    return {Outcome::Controls};
}

Outcome Match::reset()
{
    bClockRunning = false;
    iHours = 0;
    iMinutes = 0;
    iSeconds = 0;
    special.reset();
    enabled.start = enabled.stop = enabled.reset = true;
    Outcome out{Outcome::Controls};
    // The clock fields are emptied and written back as 00: each write shows a
    // new second, so the notification pass runs twice, on the countdowns as
    // they stand before the reload below. A Reset at a notice second sounds.
    Countdown(out);
    Countdown(out);
    out += LoadNewSettings();
    // The item rows keep their text until the next tick or map choice.
    return out;
}

Outcome Match::toggle()
{
    Outcome out = bHotkeyStarted ? stop() : start();
    bHotkeyStarted = !bHotkeyStarted;
    return out;
}

// ---------------------------------------------------------------- maps and special timers

Outcome Match::chooseMap(int map)
{
    if (map < 0 || map >= respawn::kMaps)
        return {};
    iCurrentMap = qint16(map);
    Outcome out = reset();
    out.changed |= Outcome::ItemTimes;
    return out;
}

Outcome Match::chooseSpecial(GameModeTimers::Choice choice)
{
    specialChoice = choice;
    special.choose(choice);
    return {Outcome::Controls};
}

// ---------------------------------------------------------------- delayed start

Outcome Match::delayedStart(std::optional<qint16> seconds)
{
    // A negative count would never reach zero: it counts as no entry.
    if (seconds && *seconds >= 0)
        iDelaySeconds = *seconds;
    if (iDelaySeconds == 0)
        return {};
    bDelayCounting = true;
    delayCaption = iDelaySeconds;
    return {Outcome::Controls | Outcome::DelayRestarted};
}

Outcome Match::delayTick()
{
    if (iDelaySeconds != 0) {
        delayCaption = --iDelaySeconds;
        return {Outcome::Controls};
    }
    Outcome out = start();
    delayCaption.reset();
    bDelayCounting = false;
    enabled.delayedStart = false;
    return out;
}

// ---------------------------------------------------------------- teams

Match::Shared Match::shared() const
{
    return {iHours, iMinutes, iSeconds, iCurrentMap, iTimes[iCurrentMap], iBaseTimes[iCurrentMap],
            special, specialChoice, bClockRunning, bHotkeyStarted, enabled, delayCaption};
}

void Match::adopt(const Shared& state)
{
    iHours = state.hours;
    iMinutes = state.minutes;
    iSeconds = state.seconds;
    iCurrentMap = qint16(std::clamp<int>(state.map, 0, respawn::kMaps - 1));
    iTimes[iCurrentMap] = state.times;
    iBaseTimes[iCurrentMap] = state.baseTimes;
    special = state.special;
    specialChoice = state.specialChoice;
    bClockRunning = state.running;
    bHotkeyStarted = state.hotkeyStarted;
    enabled = state.enabled;
    delayCaption = state.delayCaption;
    bDelayCounting = false;
}
