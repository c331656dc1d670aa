#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>
#include <optional>

// The commands other programs give the running timer, from its command line or
// over the session bus, and the status it answers with.
namespace cli {

enum class Verb {
    Show,         // no command: bring the running window forward
    Start,
    Stop,
    Reset,
    Toggle,       // what the S key does
    DelayedStart, // value: seconds
    Map,          // value: the map's number
    Special,      // value: a GameModeTimers::Choice
    Sync,
    Nudge,        // value: +1 or -1
    Status,
    Help,
};

struct Command {
    Verb verb = Verb::Show;
    int value = 0;
    bool operator==(const Command&) const = default;
};

// A command line, or the one-line reason it is not one.
struct Parsed {
    Command command;
    QString error; // empty when the line is good
};

// args: the whole command line, the program's name first.
Parsed parse(const QStringList& args);
QString usage();

// The values a command takes, each checked the same way for the command line
// and the bus. A map is its number 0..12 or its name in any letter case.
std::optional<int> mapNumber(const QString& text);
std::optional<int> specialChoice(const QString& text); // koth, oddball, none
std::optional<int> delaySeconds(const QString& text);  // 1..32767
std::optional<int> nudgeStep(const QString& text);     // +1 or -1

// What --status prints, from the match's plain values.
struct Status {
    qint16 hours = 0, minutes = 0, seconds = 0;
    bool running = false;
    int map = 0;
    int special = -1; // a GameModeTimers::Choice
    std::array<qint16, 4> items{}; // the countdowns, 999 for an item the map lacks
};
// One line of JSON; an item the map lacks is null.
QString statusJson(const Status& status);
// The game clock as "00:01:23".
QString clockText(qint16 hours, qint16 minutes, qint16 seconds);

} // namespace cli
