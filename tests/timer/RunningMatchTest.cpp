// The running match on a clock moved by hand, with no window: where its ticks and
// sounds fall after the commands that move them.

#include "settings/Ini.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"
#include "timer/RunningMatch.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// Each sound with the moment it was played.
struct TimedSound : FakeSound {
    explicit TimedSound(const FakeClocks& clocks) : clocks(clocks) {}
    void play(const QString& file) override
    {
        played << QFileInfo(file).completeBaseName();
        at << clocks.now / FakeClocks::kMs;
    }
    const FakeClocks& clocks;
    QList<qint64> at;
};

// Runs space-separated steps from 0 ms: S start, P stop, Y sync, + and - the
// nudges, dN a delayed start of N, O the settings saved, key=value a setting
// written first, oN a callout offset of N ms, @MS the clock run to MS. Gives each
// tick's moment and each sound's name, with "@MS" when it does not fall on the
// tick before it.
QString timeline(const QString& steps)
{
    TempProgramFolder dir;
    EXPECT_TRUE(dir.writeIni(kShortPeriodsIni));
    FakeClocks clocks;
    TimedSound sound(clocks);
    RunningMatch running(dir.files(), clocks, sound);
    running.load([] { return true; });
    sound.played.clear();
    sound.at.clear();

    QList<qint64> ticks;
    QObject::connect(&running, &RunningMatch::changed, [&](const Outcome& outcome) {
        if (outcome.changed & Outcome::Clock)
            ticks << clocks.now / FakeClocks::kMs;
    });
    for (const QString& s : steps.split(' ', Qt::SkipEmptyParts)) {
        const int n = s.mid(1).toInt();
        if (s.contains('='))
            WriteIni("settings", s.section('=', 0, 0), s.section('=', 1), dir.iniPath());
        else if (s[0] == '@')
            clocks.runTo(n);
        else if (s[0] == 'd')
            running.delayedStart(qint16(n));
        else if (s[0] == 'o')
            running.setCalloutOffset(n);
        else
            s == "S" ? running.start() : s == "P" ? running.stop() : s == "Y" ? running.sync()
                : s == "O" ? running.reloadSettings() : running.nudge(s == "+" ? 1 : -1);
    }
    // In the order of time, a tick before the sounds of its moment.
    QStringList events;
    for (qsizetype t = 0, i = 0; t < ticks.size() || i < sound.at.size();) {
        if (i == sound.at.size() || (t < ticks.size() && ticks[t] <= sound.at[i])) {
            events << QString::number(ticks[t++]);
        } else {
            events << sound.played[i] +
                          (ticks.contains(sound.at[i]) ? QString()
                                                       : QStringLiteral("@%1").arg(sound.at[i]));
            ++i;
        }
    }
    return events.join(' ');
}

// Map 0's items sound at the ticks of 1 (o), 3 (r), 4 (o), 5 (o), 6 (r) seconds.
TEST(RunningMatchTest, CommandsMoveTheTicksAndTheirSounds)
{
    const std::pair<const char*, const char*> rows[] = {
        {"S @6000", "1000 o 2000 3000 r 4000 o 5000 o 6000 r"},
        // Sync moves the phase to this moment from the nearest tick: the one to come
        // runs now, or the one just passed is moved later. None is lost or doubled.
        {"S @2500 Y @6000", "1000 o 2000 2500 r 3500 o 4500 o 5500 r"},
        {"S @3000 Y @6000", "1000 o 2000 3000 r 4000 o 5000 o 6000 r"},
        {"S @3499 Y @6000", "1000 o 2000 3000 r 4499 o 5499 o"},
        // +1 runs a tick at once, the phase kept; -1 holds the next one back a second.
        {"S @3250 + @3300 + @6000", "1000 o 2000 3000 r 3250 o 3300 o 4000 r 5000 s 6000 o"},
        {"S @3250 - @6000", "1000 o 2000 3000 r 5000 o 6000 o"},
        // A second held back stays held back through a sync, which moves the phase only.
        {"S @3100 - @3300 Y @6500", "1000 o 2000 3000 r 5300 o 6300 o"},
        {"S @3100 - @3700 Y @6000", "1000 o 2000 3000 r 4700 o 5700 o"},
        {"S @3100 - @3150 - @3300 Y @7500", "1000 o 2000 3000 r 6300 o 7300 o"},
        // A stopped clock takes no sync or nudge.
        {"S @2500 P @2600 Y @2700 + @2800 - @3500 S @6000", "1000 o 2000 4500 r 5500 o"},
        // A delayed start of 2: the count shows 2, 1, 0, the clock starts at 3 s.
        {"d2 @6000", "4000 o 5000 6000 r"},
        // The settings saved while the clock runs: every countdown afresh, the phase kept.
        {"S @2500 time=1 O @6000", "1000 o 2000 3000 4000 5000 o 6000 o"},
        // A callout offset moves each sound against its tick, later or earlier.
        {"o300 S @6000", "1000 o@1300 2000 3000 r@3300 4000 o@4300 5000 o@5300 6000"},
        {"o-300 S @6000", "o@700 1000 2000 r@2700 3000 o@3700 4000 o@4700 5000 r@5700 6000"},
        // A tick run ahead of its moment does not sound again; the next is foreseen afresh.
        {"o-300 S @2800 + @5000", "o@700 1000 2000 r@2700 2800 o 3000 o@3700 4000 r@4700 5000"},
        // A command that changes what the coming tick says, after it was heard ahead.
        {"o-300 S @2800 time=1 O @4000", "o@700 1000 2000 r@2700 3000 4000"},
    };
    for (const auto& [steps, expected] : rows) {
        SCOPED_TRACE(steps);
        EXPECT_EQ(timeline(steps), QString(expected));
    }
}

} // namespace
