#include "app/Commands.h"

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
        {{"--map=0"}, Verb::Map, 0}, {{"--map", " hang’em high "}, Verb::Map, 7},
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

// The team's lines carry their address and code as one text; none: refused.
TEST(CommandTest, TeamLines)
{
    const std::pair<QStringList, const char*> rows[] = {
        {{"--lead"}, ""}, {{"--lead", "--port=9000"}, "9000"},
        {{"--follow=pc.local", "--code=123456"}, "pc.local 123456"},
        {{"--follow=10.0.0.2:9000", "--code=12345678"}, "10.0.0.2:9000 12345678"},
        {{"--follow=[fe80::1]:9000", "--code=123456"}, "[fe80::1]:9000 123456"},
        {{"--follow=::1", "--code=123456"}, "::1 123456"},
        {{"--follow=[::1]9000", "--code=123456"}, nullptr},
        {{"--follow=[pc]:1", "--code=123456"}, nullptr},
        {{"--follow=pc:70000", "--code=123456"}, nullptr},
        {{"--follow=a:1:2", "--code=123456"}, nullptr},
        {{"--follow=pc/x", "--code=123456"}, nullptr}, {{"--follow=pc", "--code=12345"}, nullptr},
        {{"--follow=pc"}, nullptr}, {{"--lead", "--code=123456"}, nullptr},
        {{"--lead", "--lan"}, nullptr},
    };
    for (const auto& [args, text] : rows) {
        const commands::Parsed parsed = commands::parse(QStringList{"zorvu-timer"} + args);
        EXPECT_EQ(parsed.exitStatus, text ? -1 : 2) << args.join(' ').toStdString();
        if (text) {
            EXPECT_EQ(parsed.command.text, text);
        }
    }
}
