#pragma once

#include "platform/ProgramInfo.h"
#include "settings/Settings.h"
#include "timer/GameModeTimers.h"
#include "timer/RespawnTable.h"

#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

// What a command of the match changed, for a view to show, and the sound files
// it plays, in the order they are played (each new sound stops the one before).
struct Outcome {
    enum Change : unsigned {
        Clock = 1,     // the clock fields
        ItemTimes = 2, // the item rows: the current map's countdowns of the items it has
        Controls = 4,  // which buttons are enabled, the Delayed Start caption, the choices
        DelayRestarted = 8, // the delayed start's count begins a full second from now
    };
    Outcome(unsigned changes = 0) : changed(changes) {}

    unsigned changed;
    // Settings loads; each applies the desktop effects (screen saver, on top) again.
    int loads = 0;
    QStringList sounds; // full paths

    Outcome& operator+=(const Outcome& other);
};

// One match: the game clock, the respawn countdowns of the chosen map, the
// special timers and the delayed start. It knows nothing of timers or windows:
// the running match around it drives tick() and delayTick() from its timers,
// which run while bClockRunning and bDelayCounting say so.
class Match {
public:
    explicit Match(program::Files files) : files_(std::move(files)) {}
    // Where the settings file and the sounds are.
    const program::Files& files() const { return files_; }

    // --- state; read by the views, changed only through the commands ---
    respawn::Table iTimes{};     // countdowns: seconds to each item's next respawn
    respawn::Table iBaseTimes{}; // respawn periods as read from the file
    qint16 iHours = 0;
    qint16 iMinutes = 0;
    qint16 iSeconds = 0;
    qint16 iCurrentMap = 0;
    bool bSoundDevice = false;
    bool bSniperDue = false;
    bool bRocketDue = false;
    bool bCamoDue = false;
    bool bOvershieldDue = false;
    bool bHotkeyStarted = false;
    qint16 iDelaySeconds = 0;
    Settings settings;           // iNotificationTime, bRespawnSound, iNotifySniper, ...
    GameModeTimers special;      // iKothPeriod, iKothCount, iOddballPeriod, iOddballCount, bOddballPlayed
    GameModeTimers::Choice specialChoice = GameModeTimers::None;

    bool bClockRunning = false;  // the game clock's timer runs
    bool bDelayCounting = false; // the delayed start's timer runs
    struct Enabled {
        bool start = true, stop = true, reset = true, delayedStart = true;
        bool operator==(const Enabled&) const = default;
    } enabled;
    // The count shown on the Delayed Start button; none: its own caption.
    std::optional<qint16> delayCaption;

    // What a team's followers take from the leader's match: everything but the
    // settings, which each PC keeps its own (lead time, sounds, notify keys).
    struct Shared {
        qint16 hours = 0, minutes = 0, seconds = 0, map = 0;
        respawn::Column times{}, baseTimes{}; // the current map's
        GameModeTimers special;
        GameModeTimers::Choice specialChoice = GameModeTimers::None;
        bool running = false, hotkeyStarted = false;
        Enabled enabled;
        std::optional<qint16> delayCaption;
        bool operator==(const Shared&) const = default;
    };
    Shared shared() const;
    // A follower's match takes the leader's; its own delayed start stops, as the
    // leader's counts for it.
    void adopt(const Shared& state);

    // --- commands ---
    // The start-up sequence; soundDevice: the system has a sound output.
    Outcome load(bool soundDevice);
    // The same, with the sound-device check made when a sound is first due or
    // checkSoundDevice() is called, whichever comes first: the check connects to
    // the sound server, which the window's first show need not wait for.
    Outcome load(std::function<bool()> soundDeviceCheck);
    void checkSoundDevice();
    Outcome start();
    Outcome stop();
    Outcome reset();
    // What the S key does: start, or stop when S started the clock.
    Outcome toggle();
    // A map chosen by its number 0..12: resets the clock and reloads.
    Outcome chooseMap(int map);
    Outcome chooseSpecial(GameModeTimers::Choice choice);
    // One second of the game clock.
    Outcome tick();
    // A delayed start of the given seconds; none (an entry that cannot be read)
    // or a negative one leaves the count as it was.
    Outcome delayedStart(std::optional<qint16> seconds);
    // One second of the delayed start's count.
    Outcome delayTick();
    // Re-reads the settings and the respawn table (Reset, map choice, Options OK):
    // every countdown starts again from its full period.
    Outcome LoadNewSettings();

    // --- routines ---
    void LoadTimes(const IniSnapshot& ini);
    void Countdown(Outcome& out);
    void PlaySounds(Outcome& out);
    void RecalcTimes(Outcome& out);

private:
    QString inDataFolder(const QString& relativeFile) const;

    program::Files files_;
    std::function<bool()> soundDeviceCheck_; // fills bSoundDevice when made
    const IniSnapshot* loading_ = nullptr;   // the file as read for load()'s whole run
};
