#include "app/Commands.h"

#include "team/Team.h"
#include "timer/RunningMatch.h"
#include "timer/TimeFormat.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>

namespace commands {
namespace {

// The names of the special timers, in the order of their choices.
const std::array<const char*, 3> kSpecials = {"koth", "oddball", "none"};

std::optional<int> number(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

// Qt's own options (a session manager restarts the program with -session), for the
// application object that reads them after the command is handed over; the
// value, when they take one.
const std::pair<const char*, bool> kQtOptions[] = {
    {"platform", true}, {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"display", true}, {"session", true}, {"style", true}, {"stylesheet", true},
    {"qwindowgeometry", true}, {"qwindowicon", true}, {"qwindowtitle", true}, {"name", true},
    {"reverse", false}, {"widgetcount", false}, {"qmljsdebugger", true},
};

// Options that shape a command rather than give one: their values make its text.
struct Modifier {
    const char* option;
    const char* valueName; // null: a flag, written as its name
    const char* help;
    std::array<Verb, 2> verbs; // the commands it goes with
};
constexpr Modifier kModifiers[] = {
    {"port", "PORT", "with --web or --lead: the port, 1024-32767", {Verb::Web, Verb::Lead}},
    {"lan", nullptr, "with --web: for the local network, not this PC only", {Verb::Web, Verb::Web}},
    {"code", "CODE", "with --follow: the leader's join code", {Verb::Follow, Verb::Follow}},
};

QString usage()
{
    QString text = QStringLiteral("Usage: zorvu-timer [COMMAND]\n"
                                  "Without a command, starts the timer or brings its window forward.\n"
                                  "A command goes to the running timer, which starts first if need be.\n\n");
    auto line = [&text](const QString& option, const char* help) {
        text += QStringLiteral("  %1%2\n").arg(option, -30).arg(QLatin1String(help));
    };
    for (const Row& r : table())
        if (r.option)
            line(QLatin1String("--") + QLatin1String(r.option) +
                     (r.valueName ? QLatin1Char('=') + QLatin1String(r.valueName) : QString()),
                 r.help);
    for (const Modifier& m : kModifiers)
        line(QLatin1String("--") + QLatin1String(m.option) +
                 (m.valueName ? QLatin1Char('=') + QLatin1String(m.valueName) : QString()),
             m.help);
    line(QStringLiteral("-h, --help"), "print this help");
    line(QStringLiteral("-v, --version"), "print the program's version");
    return text + QStringLiteral("\nQt's own options (-platform, -style, -reverse, ...) pass to Qt.\n\n"
                                 "Exit status: 0 done; 1 the running timer refused the command;\n"
                                 "2 bad input; 3 --status found no timer running.");
}

// An option as the command line wrote it, for a message.
QString asWritten(const QStringList& args, const QString& name)
{
    for (const QString& arg : args) {
        const QString option = arg.section(QLatin1Char('='), 0, 0);
        if (option == QLatin1Char('-') + name || option == QLatin1String("--") + name)
            return option;
    }
    return QLatin1String("--") + name;
}

Parsed bad(const QString& message)
{
    return {{}, QStringLiteral("zorvu-timer: ") + message, 2};
}

} // namespace

using R = RunningMatch;
constexpr std::array<Row, 16> kRows{{
    {Verb::Show, nullptr, "Activate", 's', nullptr, nullptr, nullptr, nullptr, {}, nullptr},
    {Verb::Start, "start", "Start", 0, nullptr, nullptr, nullptr,
     "start the game clock (the Start button)", {}, [](R& m, int) { m.start(); }},
    {Verb::Stop, "stop", "Stop", 0, nullptr, nullptr, nullptr,
     "stop the game clock (the Stop button)", {}, [](R& m, int) { m.stop(); }},
    {Verb::Reset, "reset", "Reset", 0, nullptr, nullptr, nullptr,
     "stop and reset the clock, as the R key does",
     {{{0, {Qt::Key_R}, nullptr, nullptr, ShortcutAction::Reset}}},
     [](R& m, int) { m.stopAndReset(); }},
    {Verb::Toggle, "toggle", "Toggle", 0, nullptr, nullptr, nullptr,
     "start or stop the clock, as the S key does",
     {{{0, {Qt::Key_S}, nullptr, nullptr, ShortcutAction::Toggle}}},
     [](R& m, int) { m.toggle(); }},
    {Verb::DelayedStart, "delayed-start", "DelayedStart", 'i', delaySeconds, "N",
     "a number of seconds from 1 to 32767", "start the clock in N seconds",
     {{{kAsked, {Qt::Key_D}, nullptr, nullptr, {}}}},
     [](R& m, int v) { m.delayedStart(qint16(v)); }},
    {Verb::Map, "map", "SelectMap", 's', mapNumber, "N", "a map's number 0-12 or its name",
     "choose a map by its number 0-12 or its name", {}, [](R& m, int v) { m.chooseMap(v); }},
    {Verb::Special, "special", "SelectSpecial", 's', specialChoice, "koth|oddball|none",
     "koth, oddball or none", "choose a special timer", {},
     [](R& m, int v) { m.chooseSpecial(GameModeTimers::Choice(v)); }},
    {Verb::Sync, "sync", "Sync", 0, nullptr, nullptr, nullptr, "move the tick to this moment",
     {{{0, {Qt::Key_Y}, "mnuSync", "&Sync", ShortcutAction::Sync}}},
     [](R& m, int) { m.sync(); }},
    {Verb::Nudge, "nudge", "Nudge", 'i', nudgeStep, "+1|-1", "+1 or -1",
     "one tick now, or the next one a second later",
     {{{1, {Qt::Key_Plus, Qt::Key_Equal}, "mnuNudgeForward", "&+1 second",
        ShortcutAction::NudgeForward},
       {-1, {Qt::Key_Minus}, "mnuNudgeBack", "&-1 second", ShortcutAction::NudgeBack}}},
     [](R& m, int v) { m.nudge(v); }},
    {Verb::Status, "status", "Status", 0, nullptr, nullptr, nullptr,
     "print the running timer's state as JSON", {}, nullptr},
    {Verb::Web, "web", "ServeWeb", 's', portChoice, nullptr, "a port from 1024 to 32767",
     "serve the web view (with --port=PORT, and --lan for the local network)", {}, nullptr},
    {Verb::WebOff, "web-off", "StopWeb", 0, nullptr, nullptr, nullptr, "stop the web view", {},
     nullptr},
    {Verb::Lead, "lead", "Lead", 's', portChoice, nullptr, "a port from 1024 to 32767",
     "lead a team: followers share this clock (with --port=PORT)", {}, nullptr},
    {Verb::Follow, "follow", "Follow", 's', followChoice, "HOST[:PORT]",
     "HOST[:PORT] ([addr]:port for IPv6) with --code=CODE of 6 digits or more",
     "follow the team leader at HOST (with --code=CODE)", {}, nullptr},
    {Verb::Leave, "leave", "Leave", 0, nullptr, nullptr, nullptr, "leave the team", {}, nullptr},
}};

// row() finds a verb's row by its place.
static_assert(std::ranges::all_of(kRows, [](const Row& r) {
    return kRows[size_t(r.verb)].verb == r.verb;
}));

const std::array<Row, 16>& table()
{
    return kRows;
}

const Row& row(Verb verb)
{
    return table()[size_t(verb)];
}

void run(RunningMatch& match, const Command& command)
{
    if (const auto go = row(command.verb).run)
        go(match, command.value);
}

std::optional<Command> forKey(int key)
{
    for (const Row& r : table())
        for (const Trigger& t : r.triggers)
            if (key != 0 && std::ranges::find(t.keys, key) != t.keys.end())
                return Command{r.verb, t.value, {}};
    return std::nullopt;
}

void takeShortcuts(GlobalShortcuts& shortcuts, RunningMatch& match)
{
    QObject::connect(&shortcuts, &GlobalShortcuts::activated, &match,
                     [&match](ShortcutAction action) {
                         for (const Row& r : table())
                             for (const Trigger& t : r.triggers)
                                 if (t.shortcut == action)
                                     return run(match, {r.verb, t.value, {}});
                     });
}

Parsed parse(const QStringList& args)
{
    QCommandLineParser parser;
    // -platform and -reverse, as Qt writes its options, are long ones.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    for (const auto& [name, takesValue] : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        if (takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const Row& r : table())
        if (r.option)
            parser.addOption({QString::fromLatin1(r.option), QString::fromLatin1(r.help),
                              QString::fromLatin1(r.valueName)});
    for (const Modifier& m : kModifiers)
        parser.addOption({QString::fromLatin1(m.option), QString::fromLatin1(m.help),
                          QString::fromLatin1(m.valueName)});
    if (!parser.parse(args)) {
        if (!parser.unknownOptionNames().isEmpty())
            return bad(QStringLiteral("unknown option '%1'")
                           .arg(asWritten(args, parser.unknownOptionNames().first())));
        return bad(parser.errorText().remove(QLatin1Char('\n')));
    }
    if (!parser.positionalArguments().isEmpty())
        return bad(QStringLiteral("unexpected argument '%1'")
                       .arg(parser.positionalArguments().first()));
    if (parser.isSet(help))
        return {{}, usage(), 0};
    if (parser.isSet(version))
        return {{}, QStringLiteral("zorvu-timer (Zorvu Timer) " ZORVU_VERSION), 0};

    // The parser keeps the last of a repeated option: one command at a time is ours to check.
    const Row* given = nullptr;
    for (const QString& name : parser.optionNames()) {
        const auto r = std::ranges::find_if(table(), [&](const Row& r) {
            return r.option && name == QLatin1String(r.option);
        });
        if (r == table().end())
            continue;
        if (given)
            return bad(QStringLiteral("one command at a time: --%1 and --%2")
                           .arg(QLatin1String(given->option), name));
        given = &*r;
    }
    QStringList shaped;
    for (const Modifier& m : kModifiers) {
        const QString name = QString::fromLatin1(m.option);
        if (!parser.isSet(name))
            continue;
        if (!given || std::ranges::find(m.verbs, given->verb) == m.verbs.end()) {
            QString with = QLatin1String("--") + QLatin1String(row(m.verbs[0]).option);
            if (m.verbs[1] != m.verbs[0])
                with += QLatin1String(" or --") + QLatin1String(row(m.verbs[1]).option);
            return bad(QStringLiteral("--%1 goes with %2").arg(name, with));
        }
        shaped << (m.valueName ? parser.value(name) : name);
    }
    if (!given)
        return {};
    Command command{given->verb, 0, {}};
    if (given->read) {
        if (given->valueName)
            shaped.prepend(parser.value(QString::fromLatin1(given->option)));
        command.text = shaped.join(QLatin1Char(' '));
        const auto checked = given->read(command.text);
        if (!checked)
            return bad(QStringLiteral("--%1: '%2' is not %3")
                           .arg(QLatin1String(given->option), command.text,
                                QLatin1String(given->expected)));
        command.value = *checked;
    }
    return {command, {}, -1};
}

std::optional<int> mapNumber(const QString& text)
{
    if (const auto index = number(text, 0, respawn::kMaps - 1))
        return index;
    // Word processors and phones type a typographic apostrophe in "Hang'em High".
    const QString name = text.trimmed().replace(QChar(0x2019), QLatin1Char('\''));
    for (int i = 0; i < respawn::kMaps; ++i)
        if (name.compare(respawn::mapNames()[i], Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

std::optional<int> specialChoice(const QString& text)
{
    for (size_t i = 0; i < kSpecials.size(); ++i)
        if (text.compare(QLatin1String(kSpecials[i]), Qt::CaseInsensitive) == 0)
            return int(i);
    return std::nullopt;
}

std::optional<int> delaySeconds(const QString& text)
{
    return number(text, 1, 32767);
}

std::optional<int> portChoice(const QString& text)
{
    int port = 0;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word == QLatin1String("lan"))
            continue;
        // The range the settings keep: below the one Linux gives outgoing connections.
        const auto given = number(word, 1024, 32767);
        if (!given || port)
            return std::nullopt;
        port = *given;
    }
    return port;
}

std::optional<int> followChoice(const QString& text)
{
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    static const QRegularExpression digits(QStringLiteral("^[0-9]{6,32}$"));
    if (words.size() != 2 || !Team::address(words[0]) || !digits.match(words[1]).hasMatch())
        return std::nullopt;
    return 0;
}

std::optional<int> nudgeStep(const QString& text)
{
    if (text == QLatin1String("+1") || text == QLatin1String("1"))
        return 1;
    if (text == QLatin1String("-1"))
        return -1;
    return std::nullopt;
}

QString clockText(const Match& m)
{
    return clockField(m.iHours) + QLatin1Char(':') + clockField(m.iMinutes) + QLatin1Char(':') +
           clockField(m.iSeconds);
}

QJsonObject status(const Match& m)
{
    // No choice made yet shows as none too.
    const int special = m.specialChoice == GameModeTimers::None ? GameModeTimers::Neither
                                                                : m.specialChoice;
    QJsonObject json{{QStringLiteral("clock"), clockText(m)},
                     {QStringLiteral("running"), m.bClockRunning},
                     {QStringLiteral("map"), respawn::mapNames()[m.iCurrentMap]},
                     {QStringLiteral("special"), QLatin1String(kSpecials[size_t(special)])}};
    for (int k = 0; k < respawn::kItems; ++k) {
        const qint16 seconds = m.iTimes[m.iCurrentMap][k];
        json.insert(respawn::itemKeys()[k], seconds == respawn::kAbsent
                                                ? QJsonValue()
                                                : QJsonValue(SetTimeFormat(seconds)));
    }
    return json;
}

} // namespace commands
