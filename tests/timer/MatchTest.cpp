// The running match driven by scripts of commands, as the buttons, keys, menus
// and timers give them, on a clock moved by hand: where its ticks and sounds fall,
// and what the match shows after them.

#include "settings/Ini.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"
#include "timer/RunningMatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Runs a script of space-separated steps on a match after start-up (map 0 of
// kShortPeriodsIni), as its sound player:
//   S Start, P Stop, R Reset, O Options OK, L load, Y sync (yMS: pressed at MS), + and -
//   the nudges,
//   tN N ticks and TN N ticks of the delayed start (their timers' routines called),
//   mN map N, kN special timer N, dN delayed start of N ("d-" an unreadable entry),
//   oN a callout offset of N ms, @MS the clock run to MS, cH:M:S the clock set by
//   hand, key=value a setting written to the file.
struct Script : FakeSound {
    Script()
    {
        EXPECT_TRUE(dir.writeIni(kShortPeriodsIni));
        running.load([] { return true; });
    }
    void play(const QString& file) override
    {
        const QString name = QFileInfo(file).completeBaseName();
        bySteps << QStringLiteral("%1:%2").arg(step).arg(name);
        atMoments << QStringLiteral("%1@%2").arg(name).arg(clocks.now / FakeClocks::kMs);
    }
    void script(const QString& text)
    {
        Match& match = const_cast<Match&>(running.match());
        for (const QString& s : text.split(' ', Qt::SkipEmptyParts)) {
            const int n = s.size() > 1 ? s.mid(1).toInt() : 1;
            const QChar c = s[0];
            if (s.contains('=')) {
                WriteIni("settings", s.section('=', 0, 0), s.section('=', 1), dir.iniPath());
            } else if (c == 'c') {
                std::sscanf(qPrintable(s), "c%hd:%hd:%hd", &match.iHours, &match.iMinutes,
                            &match.iSeconds);
            } else if (c == '@') {
                clocks.runTo(n);
            } else if (c == 'o') {
                running.setCalloutOffset(n);
            } else if (c == 't' || c == 'T') {
                for (int i = 0; i < n; ++i) {
                    ++step;
                    c == 't' ? running.tmrGameTimer_Timer() : running.tmrDelayedStart_Timer();
                }
            } else {
                ++step;
                c == 'd'   ? running.delayedStart(s == "d-" ? std::nullopt
                                                            : std::optional(qint16(n)))
                : c == 'S' ? running.start()
                : c == 'P' ? running.stop()
                : c == 'R' ? running.reset()
                : c == 'O' ? running.reloadSettings()
                : c == 'L' ? running.load([] { return true; })
                : c == 'Y' ? running.sync()
                : c == 'y' ? running.sync(n * FakeClocks::kMs)
                : c == '+' ? running.nudge(1)
                : c == '-' ? running.nudge(-1)
                : c == 'm' ? running.chooseMap(n)
                           : running.chooseSpecial(GameModeTimers::Choice(n));
            }
        }
    }
    // The clock, on or off, Start Stop Reset Delayed Start enabled, the caption's count.
    QString state() const
    {
        const Match& m = running.match();
        const auto& e = m.enabled;
        const QString count = m.delayCaption ? QString::number(*m.delayCaption) : "-";
        return QString::asprintf("%d:%d:%d %s %d%d%d%d ", m.iHours, m.iMinutes, m.iSeconds,
                                 m.bClockRunning ? "on" : "off", e.start, e.stop, e.reset,
                                 e.delayedStart) + count;
    }
    TempProgramFolder dir;
    FakeClocks clocks;
    RunningMatch running{dir.files(), clocks, *this};
    // Each sound as "step:name", a step being one tick or one other command, and as
    // "name@MS", the moment it was played.
    QStringList bySteps, atMoments;
    int step = 0;
};

TEST(MatchTest, Scripts)
{
    // The current map's countdowns after the script in times.
    const struct { const char* script; const char* state; respawn::Column times;
                   const char* sounds; } rows[] = {
        // Notices at lead + 1, respawns at 1; the pass sees the countdowns before the tick.
        {"t10", "0:0:10 off 1111 -", {10, 2, 999, 2}, "1:o 3:r 4:o 5:o 6:r 7:s 8:o 9:ro 10:s"},
        {"c0:59:59 t1", "1:0:0 off 1111 -", {9, 5, 999, 3}, "1:o"},
        // At the largest time the clock stands: no pass, no countdown.
        {"c32767:59:58 t3", "32767:59:59 off 1111 -", {9, 5, 999, 3}, "1:o"},
        // Reset stops and clears; its two passes see the old countdowns; Delayed Start stays off.
        {"S t2 R", "0:0:0 off 1110 -", {10, 6, 999, 4}, "2:o 4:r 4:r"},
        // A map choice resets too; on map 2 the camouflage, notified with 0, stays silent.
        {"S t3 m2 t87", "0:1:27 off 1110 -", {3, 33, 3, 33}, "2:o 4:r 32:s 35:s 62:sr 65:sr 92:s"},
        // Default sound at a respawn of an item notified with 1 only; 2 and 3 are named.
        {"respawnsound=1 defaultsoundfilename=/x/ding.wav O t10", "0:0:10 off 1111 -",
         {10, 2, 999, 2}, "2:o 4:r 5:o 6:o 7:r 8:s 9:o 10:ro 11:ding"},
        {"respawnsound=1 notifysniper=0 notifyrocket=1 notifyovershield=2 O t10",
         "0:0:10 off 1111 -", {10, 2, 999, 2}, "2:o 4:r 5:o 6:o 7: 9:o 10:ro"},
        // PAL: ten more on the first countdowns, once however often it loads.
        {"boxtype=1 O O t16", "0:0:16 off 1111 -", {4, 6, 999, 2}, "13:o 15:r 16:o 17:o 18:r"},
        // An unreadable value keeps the one loaded before: the notices still come at 3.
        {"time=abc O t4", "0:0:4 off 1111 -", {6, 2, 999, 4}, "2:o 4:r 5:o"},
        // KOTH every 61 ticks; Oddball once, again after choosing it anew or a Reset.
        {"m1 k0 t180", "0:3:0 off 1111 -", {999, 999, 999, 999}, "57:hill 118:hill 179:hill"},
        {"m1 k1 t80 k1 t40", "0:2:0 off 1111 -", {999, 999, 999, 999}, "27:oddball 90:oddball"},
        {"m1 k1 t40 k2 t40 k1 t40", "0:2:0 off 1111 -", {999, 999, 999, 999},
         "27:oddball 109:oddball"},
        {"m1 k0 t10 k1 t5 k0 t45", "0:1:0 off 1111 -", {999, 999, 999, 999}, "64:hill"},
        {"m1 k0 t50 R t60 k1 t30 R t30", "0:0:30 off 1111 -", {999, 999, 999, 999},
         "108:hill 140:oddball 170:oddball"},
        // The delayed start: the count on the button, then Start.
        {"d0 d- d-5", "0:0:0 off 1111 -", {10, 6, 999, 4}, nullptr},
        {"d3 T1 d- T1", "0:0:0 off 1111 1", {10, 6, 999, 4}, nullptr},
        {"d3 T1 d0 T1", "0:0:0 on 0100 -", {10, 6, 999, 4}, nullptr},
        // Start during a count: the count goes on and starts it again; Stop and Reset leave it.
        {"d2 S T1 P R T1", "0:0:0 off 1111 0", {10, 6, 999, 4}, "5:o 5:o"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script);
        Script run;
        run.script(QString::fromLatin1(row.script));
        EXPECT_EQ(run.state(), row.state);
        EXPECT_EQ(run.running.match().iTimes[run.running.match().iCurrentMap], row.times);
        EXPECT_EQ(run.bySteps.join(' '), QString::fromLatin1(row.sounds ? row.sounds : ""));
    }
}

// Each load opens times.ini once: the start-up's three reads (the respawn table,
// the first map's Reset, the settings) too, and a later Reset reads it afresh.
TEST(MatchTest, EachLoadOpensTheFileOnce)
{
    const TempProgramFolder dir;
    ASSERT_TRUE(dir.writeIni(kShortPeriodsIni));
    // Closes too: two opens in a row would merge into one event.
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, qPrintable(dir.iniPath()), IN_OPEN | IN_CLOSE), 0);
    const auto events = [watch] {
        alignas(inotify_event) char buffer[4096]; // a file's events carry no names
        ssize_t all = 0;
        for (ssize_t size; (size = read(watch, buffer, sizeof buffer)) > 0;)
            all += size;
        return all / ssize_t(sizeof(inotify_event));
    };
    Match match(dir.files());
    match.load(false);
    EXPECT_EQ(events(), 2); // its open and close
    match.reset();
    EXPECT_EQ(events(), 2);
    close(watch);
}

// The shipped sounds and the default sound are read ahead, at start-up and again
// when the settings are saved (a default sound chosen anew).
TEST(RunningMatchTest, TheSoundsAreReadAheadAtEachSettingsLoad)
{
    Script run;
    const QDir sounds(run.dir.filePath("sounds"));
    EXPECT_TRUE(run.prepared.isEmpty() && sounds.mkpath("."));
    for (const char* name : {"s.wav", "r.wav", "notes.txt"})
        QFile(sounds.filePath(name)).open(QIODevice::WriteOnly);
    run.script("respawnsound=1 defaultsoundfilename=/x/ding.wav O");
    EXPECT_EQ(run.prepared, QStringList({sounds.filePath("r.wav"), sounds.filePath("s.wav"),
                                         "/x/ding.wav"}));
}

// Map 0's items sound at the ticks of 1 (o), 3 (r), 4 (o), 5 (o), 6 (r) seconds.
TEST(RunningMatchTest, CommandsMoveTheTicksAndTheirSounds)
{
    const std::pair<const char*, const char*> rows[] = {
        {"S @6000", "o@1000 r@3000 o@4000 o@5000 r@6000"},
        // Sync moves the phase to this moment from the nearest tick: the one to come
        // runs now, or the one just passed is moved later. None is lost or doubled.
        {"S @2500 Y @6000", "o@1000 r@2500 o@3500 o@4500 r@5500"},
        {"S @3000 Y @6000", "o@1000 r@3000 o@4000 o@5000 r@6000"},
        {"S @3499 Y @6000", "o@1000 r@3000 o@4499 o@5499"},
        // A sync pressed earlier than it arrives (yMS) counts at its moment.
        {"S @3400 y3100 @6000", "o@1000 r@3000 o@4100 o@5100"},
        {"S @3050 y2800 @6000", "o@1000 r@3000 o@3800 o@4800 r@5800"},
        // +1 runs a tick at once, the phase kept; -1 holds the next one back a second.
        {"S @3250 + @3300 + @6000", "o@1000 r@3000 o@3250 o@3300 r@4000 s@5000 o@6000"},
        {"S @3250 - @6000", "o@1000 r@3000 o@5000 o@6000"},
        // A second held back stays held back through a sync, which moves the phase only.
        {"S @3100 - @3300 Y @6500", "o@1000 r@3000 o@5300 o@6300"},
        {"S @3100 - @3700 Y @6000", "o@1000 r@3000 o@4700 o@5700"},
        {"S @3100 - @3150 - @3300 Y @7500", "o@1000 r@3000 o@6300 o@7300"},
        // A stopped clock takes no sync or nudge.
        {"S @2500 P @2600 Y @2700 + @2800 - @3500 S @6000", "o@1000 r@4500 o@5500"},
        // A delayed start of 2: the count shows 2, 1, 0, the clock starts at 3 s.
        {"d2 @6000", "o@4000 r@6000"},
        // The settings saved while the clock runs: every countdown afresh, the phase kept.
        {"S @2500 time=1 O @6000", "o@1000 o@5000 o@6000"},
        // A callout offset moves each sound against its tick, later or earlier.
        {"o300 S @6000", "o@1300 r@3300 o@4300 o@5300"},
        {"o-300 S @6000", "o@700 r@2700 o@3700 o@4700 r@5700"},
        // The saved one applies at load (to the sounds of its Reset too), not at Options OK.
        {"calloutoffset=300 L S @2000 calloutoffset=0 O @4000", "o@300 o@300 o@1300 o@3300"},
        // A tick run ahead of its moment does not sound again; the next is foreseen afresh.
        {"o-300 S @2800 + @5000", "o@700 r@2700 o@2800 o@3700 r@4700"},
        // A command that changes what the coming tick says, after it was heard ahead.
        {"o-300 S @2800 time=1 O @4000", "o@700 r@2700"},
    };
    for (const auto& [steps, expected] : rows) {
        SCOPED_TRACE(steps);
        Script run;
        run.script(QString::fromLatin1(steps));
        EXPECT_EQ(run.atMoments.join(' '), QString(expected));
    }
}

} // namespace
