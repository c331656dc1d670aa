// The match driven by scripts of commands, as the buttons, keys, menus and timers
// give them: each row checks the clock, the countdowns, the sounds in order and
// the controls.

#include "settings/Ini.h"
#include "support/Printers.h"
#include "support/ProgramFolder.h"
#include "timer/Match.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Runs a script of space-separated steps on a match after start-up:
//   S Start, P Stop, R Reset, K the S key, O Options OK, tN N ticks,
//   mN map N, kN special timer N, dN delayed start of N ("d-" an unreadable
//   entry), TN N ticks of the delayed start, cH:M:S the clock set by hand,
//   key=value a setting written to the file.
// Sounds come back as "step:name", a step being one tick or one other command.
struct Script {
    explicit Script(const program::Files& files) : files(files), match(files) {}
    program::Files files;
    Match match;
    QStringList sounds;
    int step = 0;

    void command(const Outcome& outcome)
    {
        ++step;
        for (const QString& file : outcome.sounds)
            sounds << QStringLiteral("%1:%2").arg(step).arg(QFileInfo(file).completeBaseName());
    }
    void script(const QString& text)
    {
        for (const QString& s : text.split(' ', Qt::SkipEmptyParts)) {
            const int n = s.size() > 1 ? s.mid(1).toInt() : 1;
            const QChar c = s[0];
            if (s.contains('=')) {
                WriteIni("settings", s.section('=', 0, 0), s.section('=', 1), files.settings);
            } else if (c == 'c') {
                std::sscanf(qPrintable(s), "c%hd:%hd:%hd", &match.iHours, &match.iMinutes,
                            &match.iSeconds);
            } else if (c == 't' || c == 'T') {
                for (int i = 0; i < n; ++i)
                    command(c == 't' ? match.tick() : match.delayTick());
            } else if (c == 'd') {
                command(match.delayedStart(s == "d-" ? std::nullopt : std::optional<qint16>(n)));
            } else {
                command(c == 'S'   ? match.start()
                        : c == 'P' ? match.stop()
                        : c == 'R' ? match.reset()
                        : c == 'K' ? match.toggle()
                        : c == 'O' ? match.LoadNewSettings()
                        : c == 'm' ? match.chooseMap(n)
                                   : match.chooseSpecial(GameModeTimers::Choice(n)));
            }
        }
    }
    // The clock, on or off, Start Stop Reset Delayed Start enabled, the caption's count.
    QString state() const
    {
        const auto& e = match.enabled;
        const QString count = match.delayCaption ? QString::number(*match.delayCaption) : "-";
        return QString::asprintf("%d:%d:%d %s %d%d%d%d ", match.iHours, match.iMinutes,
                                 match.iSeconds, match.bClockRunning ? "on" : "off", e.start,
                                 e.stop, e.reset, e.delayedStart) + count;
    }
};

TEST(MatchTest, Scripts)
{
    const TempProgramFolder dir;
    // The current map's countdowns after the script in times.
    const struct { const char* script; const char* state; respawn::Column times;
                   const char* sounds; } rows[] = {
        // Notices at lead + 1, respawns at 1; the pass sees the countdowns before the tick.
        {"t10", "0:0:10 off 1111 -", {10, 2, 999, 2}, "1:o 3:r 4:o 5:o 6:r 7:s 8:o 9:ro 10:s"},
        {"S t3 P S t2", "0:0:5 on 0100 -", {5, 1, 999, 3}, "2:o 4:r 7:o 8:o"},
        {"c0:59:59 t1", "1:0:0 off 1111 -", {9, 5, 999, 3}, "1:o"},
        // At the largest time the clock stands: no pass, no countdown.
        {"c32767:59:58 t3", "32767:59:59 off 1111 -", {9, 5, 999, 3}, "1:o"},
        // Reset stops and clears; its two passes see the old countdowns; Delayed Start stays off.
        {"S t2 R", "0:0:0 off 1110 -", {10, 6, 999, 4}, "2:o 4:r 4:r"},
        // A map choice resets too; on map 2 the camouflage, notified with 0, stays silent.
        {"S t3 m2 t87", "0:1:27 off 1110 -", {3, 33, 3, 33}, "2:o 4:r 32:s 35:s 62:sr 65:sr 92:s"},
        // Options OK while the clock runs: every countdown afresh, the clock runs on.
        {"S t3 O t1", "0:0:4 on 0100 -", {9, 5, 999, 3}, "2:o 4:r 6:o"},
        // The S key stops the clock only when it started it: after the mouse, S starts (no
        // change), then stops.
        {"S K K", "0:0:0 off 1111 -", {10, 6, 999, 4}, nullptr},
        // Default sound at a respawn of an item notified with 1 only; 2 and 3 are named.
        {"respawnsound=1 defaultsoundfilename=/x/ding.wav O t10", "0:0:10 off 1111 -",
         {10, 2, 999, 2}, "2:o 4:r 5:o 6:o 7:r 8:s 9:o 10:ro 11:ding"},
        {"respawnsound=1 notifysniper=0 notifyrocket=1 notifyovershield=2 O t10",
         "0:0:10 off 1111 -", {10, 2, 999, 2}, "2:o 4:r 5:o 6:o 7: 9:o 10:ro"},
        {"notifyrocket=0 notifyovershield=0 notifysniper=0 O t10", "0:0:10 off 1111 -",
         {10, 2, 999, 2}, nullptr},
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
        {"d25 T1 d10 T1", "0:0:0 off 1111 9", {10, 6, 999, 4}, nullptr},
        {"d3 T1 d- T1", "0:0:0 off 1111 1", {10, 6, 999, 4}, nullptr},
        {"d3 T1 d0 T1", "0:0:0 on 0100 -", {10, 6, 999, 4}, nullptr},
        // Start during a count: the count goes on and starts it again; Stop and Reset leave it.
        {"d2 S T1 P R T1", "0:0:0 off 1111 0", {10, 6, 999, 4}, "5:o 5:o"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script);
        ASSERT_TRUE(dir.writeIni(kShortPeriodsIni));
        Script run(dir.files());
        run.match.load(true);
        run.script(QString::fromLatin1(row.script));
        EXPECT_EQ(run.state(), row.state);
        EXPECT_EQ(run.match.iTimes[run.match.iCurrentMap], row.times);
        EXPECT_EQ(run.sounds.join(' '), QString::fromLatin1(row.sounds ? row.sounds : ""));
    }
}

} // namespace
