#include "app/Command.h"

#include <gtest/gtest.h>

#include <utility>

using cli::Verb;

TEST(CommandTest, GoodLines)
{
    const std::pair<QStringList, cli::Command> rows[] = {
        {{}, {Verb::Show}}, {{"--reset"}, {Verb::Reset}}, {{"--stop"}, {Verb::Stop}},
        {{"--status"}, {Verb::Status}}, {{"--start"}, {Verb::Start}}, {{"--sync"}, {Verb::Sync}},
        {{"-h"}, {Verb::Help}}, {{"--nudge=+1"}, {Verb::Nudge, 1}}, {{"--map=0"}, {Verb::Map, 0}},
        {{"--delayed-start", "32767"}, {Verb::DelayedStart, 32767}}, {{"--toggle"}, {Verb::Toggle}},
        {{"-session", "1a2b", "--stop"}, {Verb::Stop}}, {{"--map", "hang'em high"}, {Verb::Map, 7}},
        {{"--map=bLOOD gULCH"}, {Verb::Map, 1}}, {{"--map=12"}, {Verb::Map, 12}},
        {{"--delayed-start=1"}, {Verb::DelayedStart, 1}}, {{"--nudge=-1"}, {Verb::Nudge, -1}},
        {{"--special=koth"}, {Verb::Special, 0}}, {{"--special=Oddball"}, {Verb::Special, 1}},
        {{"--special=NONE"}, {Verb::Special, 2}},
    };
    for (const auto& [args, command] : rows) {
        const cli::Parsed parsed = cli::parse(QStringList{"zorvu-timer"} + args);
        EXPECT_EQ(parsed.error, QString()) << args.join(' ').toStdString();
        EXPECT_EQ(parsed.command, command) << args.join(' ').toStdString();
    }
}

// Each message names what was wrong.
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
        const QString error = cli::parse(QStringList{"zorvu-timer"} + args).error;
        EXPECT_TRUE(error.contains(named)) << error.toStdString();
        EXPECT_FALSE(error.contains('\n'));
    }
}

TEST(CommandTest, StatusLine)
{
    cli::Status s{0, 1, 23, true, 1, 2, {45, 72, 0, 31}};
    EXPECT_EQ(cli::statusJson(s),
              R"({"clock":"00:01:23","running":true,"map":"Blood Gulch","special":"none",)"
              R"("sniper":"0:45","rocket":"1:12","camo":"0:00","overshield":"0:31"})");
    s = {123, 4, 5, false, 12, 0, {999, 600, 999, 5}};
    EXPECT_EQ(cli::statusJson(s),
              R"({"clock":"123:04:05","running":false,"map":"Wizard","special":"koth",)"
              R"("sniper":null,"rocket":"10:00","camo":null,"overshield":"0:05"})");
    s.special = 1;
    EXPECT_TRUE(cli::statusJson(s).contains(R"("special":"oddball")"));
}
