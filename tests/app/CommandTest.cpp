#include "app/Commands.h"
#include "support/ProgramFolder.h"
#include "timer/Match.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

#include <tuple>

using commands::Verb;

// The command and its value; Qt's own options pass to Qt.
TEST(CommandTest, GoodLines)
{
    const std::tuple<QStringList, Verb, int> rows[] = {
        {{}, Verb::Show, 0}, {{"--reset"}, Verb::Reset, 0}, {{"--stop"}, Verb::Stop, 0},
        {{"--status"}, Verb::Status, 0}, {{"--start"}, Verb::Start, 0}, {{"--sync"}, Verb::Sync, 0},
        {{"--nudge=+1"}, Verb::Nudge, 1}, {{"--nudge", "-1"}, Verb::Nudge, -1},
        {{"--map=0"}, Verb::Map, 0}, {{"--map", "hang'em high"}, Verb::Map, 7},
        {{"--map=bLOOD gULCH"}, Verb::Map, 1}, {{"--map=12"}, Verb::Map, 12},
        {{"--delayed-start", "32767"}, Verb::DelayedStart, 32767}, {{"--toggle"}, Verb::Toggle, 0},
        {{"--delayed-start=1"}, Verb::DelayedStart, 1}, {{"--special=koth"}, Verb::Special, 0},
        {{"--special=Oddball"}, Verb::Special, 1}, {{"--special=NONE"}, Verb::Special, 2},
        {{"-session", "1a2b", "--stop"}, Verb::Stop, 0},
        {{"--platform", "offscreen", "-reverse", "--status"}, Verb::Status, 0},
        {{"-platform", "xcb", "-style", "fusion", "--style=fusion", "--sync"}, Verb::Sync, 0},
    };
    for (const auto& [args, verb, value] : rows) {
        const commands::Parsed parsed = commands::parse(QStringList{"zorvu-timer"} + args);
        EXPECT_EQ(parsed.exitStatus, -1) << parsed.output.toStdString();
        EXPECT_TRUE(parsed.command.verb == verb && parsed.command.value == value)
            << args.join(' ').toStdString();
    }
    for (const char* arg : {"-h", "--help", "--version"})
        EXPECT_EQ(commands::parse({"zorvu-timer", arg}).exitStatus, 0) << arg;
}

// Each message is one line and names what was wrong.
TEST(CommandTest, BadLines)
{
    const std::pair<QStringList, QString> rows[] = { // the line, what its message names
        {{"--bogus"}, "'--bogus'"}, {{"start"}, "'start'"}, {{"-s"}, "'-s'"},
        {{"--start=1"}, "--start"}, {{"--map"}, "--map"}, {{"--map=13"}, "'13'"},
        {{"--map=-1"}, "'-1'"}, {{"--map=Blood"}, "'Blood'"}, {{"--delayed-start=0"}, "'0'"},
        {{"--delayed-start=32768"}, "'32768'"}, {{"--delayed-start=ten"}, "'ten'"},
        {{"--special=ctf"}, "'ctf'"}, {{"--nudge=2"}, "'2'"}, {{"--start", "--stop"}, "--stop"},
        {{"--map=1", "--map=2"}, "--map"}, {{"--status", "--toggle"}, "--toggle"},
    };
    for (const auto& [args, named] : rows) {
        const commands::Parsed parsed = commands::parse(QStringList{"zorvu-timer"} + args);
        EXPECT_EQ(parsed.exitStatus, 2);
        EXPECT_TRUE(parsed.output.contains(named)) << parsed.output.toStdString();
        EXPECT_FALSE(parsed.output.contains('\n'));
    }
}

TEST(CommandTest, StatusLine)
{
    const TempProgramFolder dir;
    Match m(dir.files());
    const auto line = [&] {
        return QString::fromUtf8(QJsonDocument(commands::status(m)).toJson(QJsonDocument::Compact));
    };
    m.iMinutes = 1, m.iSeconds = 23, m.bClockRunning = true, m.iCurrentMap = 1;
    m.specialChoice = GameModeTimers::Neither;
    m.iTimes[1] = {45, 72, 0, 31};
    EXPECT_EQ(line(), R"({"camo":"0:00","clock":"00:01:23","map":"Blood Gulch","overshield":"0:31",)"
                      R"("rocket":"1:12","running":true,"sniper":"0:45","special":"none"})");
    m = Match(dir.files());
    m.iHours = 123, m.iMinutes = 4, m.iSeconds = 5, m.iCurrentMap = 12;
    m.specialChoice = GameModeTimers::Koth;
    m.iTimes[12] = {999, 600, 999, 5};
    EXPECT_EQ(line(), R"({"camo":null,"clock":"123:04:05","map":"Wizard","overshield":"0:05",)"
                      R"("rocket":"10:00","running":false,"sniper":null,"special":"koth"})");
    m.specialChoice = GameModeTimers::Oddball;
    EXPECT_TRUE(line().contains(R"("special":"oddball")"));
}
