#pragma once

#include "platform/GlobalShortcuts.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <array>
#include <climits>
#include <optional>

class Match;
class RunningMatch;

// The commands that drive the running match, each declared once, with every way
// of giving it: the command line, the session bus, the window's keys and menu
// items, the global shortcuts. The command-line help, the bus interface and its
// dispatch, the key map and the Clock menu are all made from this table.
namespace commands {

enum class Verb {
    Show, Start, Stop, Reset, Toggle, DelayedStart, Map, Special, Sync, Nudge, Status, Web, WebOff,
    Lead, Follow, Leave
};

struct Command {
    Verb verb = Verb::Show;
    int value = 0; // checked
    QString text;  // the value as it was given, which the bus carries for an 's' argument
    bool operator==(const Command&) const = default;
};

// A value the window asks the user for when the key is pressed.
inline constexpr int kAsked = INT_MIN;

// Keys, a menu item and a global shortcut that give the command with one value.
struct Trigger {
    int value = 0;
    std::array<int, 2> keys{};        // Qt::Key codes, 0 for none
    const char* menuItem = nullptr;   // an item of the Clock menu: its objectName
    const char* menuText = nullptr;   // and its text; the first key's name follows it
    std::optional<ShortcutAction> shortcut;
};

struct Row {
    Verb verb;
    const char* option;    // --option; null: the command line without one
    const char* method;    // the bus method
    char argument;         // the bus method's argument: 's', 'i', or 0 for none
    std::optional<int> (*read)(const QString& text); // a value's rule; null: takes none
    const char* valueName; // for --help; null with a rule: the value is made of modifiers
    const char* expected;  // what a good value is, for the message about a bad one
    const char* help;
    std::array<Trigger, 2> triggers;
    void (*run)(RunningMatch& match, int value); // null: the front that takes it answers
};

const std::array<Row, 16>& table();
const Row& row(Verb verb);

// Carries a command out on the running match (not Show or Status).
void run(RunningMatch& match, const Command& command);

std::optional<Command> forKey(int key);
// Each global shortcut pressed gives its command to the running match.
void takeShortcuts(GlobalShortcuts& shortcuts, RunningMatch& match);

// A command line (the program's name first): the command, or what to print and
// exit with: --help and --version 0, bad input 2 with one line.
struct Parsed {
    Command command;
    QString output;
    int exitStatus = -1; // -1: carry the command out
};
Parsed parse(const QStringList& args);

// The values, each checked the same way wherever it comes from. A map is its
// number 0..12 or its name in any letter case.
std::optional<int> mapNumber(const QString& text);
std::optional<int> specialChoice(const QString& text); // koth, oddball, none
std::optional<int> delaySeconds(const QString& text);  // 1..32767
std::optional<int> nudgeStep(const QString& text);     // +1 or -1
// "[PORT] [lan]": the port, 0 for the saved one; "lan" for the local network.
std::optional<int> portChoice(const QString& text);
// "HOST[:PORT] CODE", an IPv6 address as [addr]:port, the code of 6 digits or more.
std::optional<int> followChoice(const QString& text);

// What --status prints and the bus's Status() answers.
QJsonObject status(const Match& match);
// The game clock as "00:01:23".
QString clockText(const Match& match);

} // namespace commands
