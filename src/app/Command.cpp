#include "app/Command.h"

#include "timer/GameModeTimers.h"
#include "timer/RespawnTable.h"
#include "timer/TimeFormat.h"

namespace cli {
namespace {

struct Option {
    const char* name;
    Verb verb;
    std::optional<int> (*value)(const QString&); // none: the option takes no value
    const char* expected;                         // what a good value is, for the message
    const char* help;
};

const Option kOptions[] = {
    {"start", Verb::Start, nullptr, "", "start the game clock (the Start button)"},
    {"stop", Verb::Stop, nullptr, "", "stop the game clock (the Stop button)"},
    {"reset", Verb::Reset, nullptr, "", "stop and reset the clock (the Reset button)"},
    {"toggle", Verb::Toggle, nullptr, "", "start or stop the clock, as the S key does"},
    {"delayed-start", Verb::DelayedStart, delaySeconds, "a number of seconds from 1 to 32767",
     "=N  start the clock in N seconds"},
    {"map", Verb::Map, mapNumber, "a map's number 0-12 or its name",
     "=N  choose a map by its number 0-12 or its name"},
    {"special", Verb::Special, specialChoice, "koth, oddball or none",
     "=koth|oddball|none  choose a special timer"},
    {"sync", Verb::Sync, nullptr, "", "move the tick to this moment"},
    {"nudge", Verb::Nudge, nudgeStep, "+1 or -1", "=+1|-1  one tick now, or the next one a second later"},
    {"status", Verb::Status, nullptr, "", "print the running timer's state as JSON"},
    {"help", Verb::Help, nullptr, "", "print this help"},
};

const Option* find(const QString& name)
{
    for (const Option& option : kOptions)
        if (name == QLatin1String(option.name))
            return &option;
    return nullptr;
}

std::optional<int> number(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

Parsed parse(const QStringList& args)
{
    Parsed parsed;
    QString given; // the command's option as written, for the message about a second one
    for (qsizetype i = 1; i < args.size(); ++i) {
        QString arg = args[i];
        if (arg == QLatin1String("-h"))
            arg = QStringLiteral("--help");
        // Qt's own options (a session manager restarts the program with -session)
        // are for the application object that reads them after this.
        static const QStringList kQtOptions = {QStringLiteral("-platform"), QStringLiteral("-session"),
                                               QStringLiteral("-style"), QStringLiteral("-display")};
        if (kQtOptions.contains(arg)) {
            ++i;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--")))
            return {{}, QStringLiteral("unexpected argument '%1'").arg(arg)};
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const QString name = arg.mid(2, equals < 0 ? -1 : equals - 2);
        const Option* option = find(name);
        if (!option)
            return {{}, QStringLiteral("unknown option '%1'").arg(arg)};
        if (!given.isEmpty())
            return {{}, QStringLiteral("one command at a time: %1 and --%2").arg(given, name)};
        given = QStringLiteral("--") + name;
        parsed.command.verb = option->verb;
        if (!option->value) {
            if (equals >= 0)
                return {{}, QStringLiteral("%1 takes no value").arg(given)};
            continue;
        }
        // --map=3 or --map 3
        QString value;
        if (equals >= 0)
            value = arg.mid(equals + 1);
        else if (i + 1 < args.size())
            value = args[++i];
        else
            return {{}, QStringLiteral("%1 needs a value: %2").arg(given, QLatin1String(option->expected))};
        const auto checked = option->value(value);
        if (!checked)
            return {{}, QStringLiteral("%1: '%2' is not %3").arg(given, value, QLatin1String(option->expected))};
        parsed.command.value = *checked;
    }
    return parsed;
}

QString usage()
{
    QString text = QStringLiteral("Usage: zorvu-timer [COMMAND]\n"
                                  "Without a command, starts the timer or brings its window forward.\n"
                                  "A command goes to the running timer, which starts first if need be.\n\n");
    for (const Option& option : kOptions) {
        // "=N  what it does": the value's name goes with the option's.
        const QString help = QString::fromUtf8(option.help);
        const qsizetype split = help.startsWith(QLatin1Char('=')) ? help.indexOf(QLatin1String("  ")) : 0;
        text += QStringLiteral("  %1%2\n")
                    .arg(QLatin1String("--") + QLatin1String(option.name) + help.left(split), -30)
                    .arg(help.mid(split).trimmed());
    }
    return text;
}

std::optional<int> mapNumber(const QString& text)
{
    if (const auto index = number(text, 0, respawn::kMaps - 1))
        return index;
    for (int i = 0; i < respawn::kMaps; ++i)
        if (text.compare(respawn::mapNames()[i], Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

std::optional<int> specialChoice(const QString& text)
{
    static const std::pair<const char*, int> kChoices[] = {
        {"koth", GameModeTimers::Koth}, {"oddball", GameModeTimers::Oddball}, {"none", GameModeTimers::Neither}};
    for (const auto& [name, choice] : kChoices)
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return choice;
    return std::nullopt;
}

std::optional<int> delaySeconds(const QString& text)
{
    return number(text, 1, 32767);
}

std::optional<int> nudgeStep(const QString& text)
{
    if (text == QLatin1String("+1") || text == QLatin1String("1"))
        return 1;
    if (text == QLatin1String("-1"))
        return -1;
    return std::nullopt;
}

QString clockText(qint16 hours, qint16 minutes, qint16 seconds)
{
    return clockField(hours) + QLatin1Char(':') + clockField(minutes) + QLatin1Char(':') +
           clockField(seconds);
}

QString statusJson(const Status& status)
{
    auto text = [](const QString& value) { return QLatin1Char('"') + value + QLatin1Char('"'); };
    QString json = QStringLiteral("{\"clock\":%1,\"running\":%2,\"map\":%3,\"special\":%4")
                       .arg(text(clockText(status.hours, status.minutes, status.seconds)),
                            status.running ? QStringLiteral("true") : QStringLiteral("false"),
                            text(respawn::mapNames()[status.map]),
                            text(status.special == GameModeTimers::Koth      ? QStringLiteral("koth")
                                 : status.special == GameModeTimers::Oddball ? QStringLiteral("oddball")
                                                                             : QStringLiteral("none")));
    for (int k = 0; k < respawn::kItems; ++k)
        json += QStringLiteral(",\"%1\":%2").arg(respawn::itemKeys()[k],
                                                 status.items[k] == respawn::kAbsent
                                                     ? QStringLiteral("null")
                                                     : text(SetTimeFormat(status.items[k])));
    return json + QLatin1Char('}');
}

} // namespace cli
