#include "app/RemoteControl.h"

#include "app/MainWindow.h"
#include "platform/ProgramInfo.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QScopeGuard>
#include <cstdio>

namespace {

const QString kInterface = QStringLiteral("org.zorvu.Timer");

void print(FILE* stream, const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stream);
}

// Sends the command to the timer that owns the bus name.
int forward(const QDBusConnection& bus, const cli::Command& command)
{
    using cli::Verb;
    static const std::pair<Verb, const char*> kMethods[] = {
        {Verb::Show, "Activate"},     {Verb::Start, "Start"},
        {Verb::Stop, "Stop"},         {Verb::Reset, "Reset"},
        {Verb::Toggle, "Toggle"},     {Verb::DelayedStart, "DelayedStart"},
        {Verb::Map, "SelectMap"},     {Verb::Special, "SelectSpecial"},
        {Verb::Sync, "Sync"},         {Verb::Nudge, "Nudge"},
        {Verb::Status, "Status"},
    };
    QString method;
    for (const auto& [verb, name] : kMethods)
        if (verb == command.verb)
            method = QLatin1String(name);
    QDBusMessage call = QDBusMessage::createMethodCall(program::appId, remote::path, kInterface, method);
    switch (command.verb) {
    case Verb::Show:
        // A Wayland compositor raises a window only for the token of a user's action,
        // which the launcher gave the process that was started.
        call << qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
        break;
    case Verb::DelayedStart:
    case Verb::Nudge:
        call << command.value;
        break;
    case Verb::Map:
        call << QString::number(command.value);
        break;
    case Verb::Special:
        call << QStringList{QStringLiteral("koth"), QStringLiteral("oddball"), QStringLiteral("none")}
                    .value(command.value, QStringLiteral("none"));
        break;
    default:
        break;
    }
    const QDBusMessage reply = bus.call(call);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        print(stderr, QStringLiteral("zorvu-timer: %1").arg(reply.errorMessage()));
        return 1;
    }
    if (command.verb == Verb::Status)
        print(stdout, reply.arguments().value(0).toString());
    return 0;
}

} // namespace

std::optional<int> remote::handOver(int argc, char* argv[], cli::Command& command)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const cli::Parsed parsed = cli::parse(args);
    if (!parsed.error.isEmpty()) {
        print(stderr, QStringLiteral("zorvu-timer: %1").arg(parsed.error));
        return 2;
    }
    if (parsed.command.verb == cli::Verb::Help) {
        std::fputs(qPrintable(cli::usage()), stdout);
        return 0;
    }
    // The bus needs an application object; this one needs no screen, so that
    // --status works from any shell. The window's own comes after it.
    // A connection of its own: the running timer's must be made under the window's.
    QCoreApplication probe(argc, argv);
    const QString name = QStringLiteral("hand-over");
    const QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    const auto disconnect = qScopeGuard([&] { QDBusConnection::disconnectFromBus(name); });
    if (bus.isConnected() && bus.interface()->isServiceRegistered(program::appId))
        return forward(bus, parsed.command);
    if (parsed.command.verb == cli::Verb::Status) {
        print(stdout, QStringLiteral("not running"));
        return 3;
    }
    command = parsed.command;
    return std::nullopt;
}

RemoteControl::RemoteControl(MainWindow& window) : window_(window)
{
    connect(&window_, &MainWindow::presented, this, &RemoteControl::clockShown);
}

std::optional<int> RemoteControl::serve(const cli::Command& command)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        // The object first: whoever sees the name can call it at once.
        bus.registerObject(remote::path, this,
                           QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties);
        if (!bus.registerService(program::appId)) {
            // Another timer started at the same moment and won.
            bus.unregisterObject(remote::path);
            return forward(bus, command);
        }
    }
    run(command);
    return std::nullopt;
}

void RemoteControl::run(const cli::Command& command)
{
    using cli::Verb;
    static const std::pair<Verb, Outcome (Match::*)()> kButtons[] = {
        {Verb::Start, &Match::start}, {Verb::Stop, &Match::stop},
        {Verb::Reset, &Match::reset}, {Verb::Toggle, &Match::toggle}};
    for (const auto& [verb, button] : kButtons)
        if (verb == command.verb)
            return window_.command([button](Match& m) { return (m.*button)(); });
    const int value = command.value;
    switch (command.verb) {
    case Verb::Show:
        window_.setWindowState((window_.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window_.show();
        window_.raise();
        window_.activateWindow();
        break;
    case Verb::DelayedStart:
        window_.command([value](Match& m) { return m.delayedStart(qint16(value)); });
        break;
    case Verb::Map:
        window_.command([value](Match& m) { return m.chooseMap(value); });
        break;
    case Verb::Special:
        window_.command([value](Match& m) { return m.chooseSpecial(GameModeTimers::Choice(value)); });
        break;
    case Verb::Sync:
        window_.mnuSync_Click(); // the window knows how long ago its last tick was
        break;
    case Verb::Nudge:
        value > 0 ? window_.mnuNudgeForward_Click() : window_.mnuNudgeBack_Click();
        break;
    default: // the buttons above; --status and --help are answered where they are read
        break;
    }
}

cli::Status RemoteControl::status() const
{
    const Match& m = window_.match();
    return {m.iHours, m.iMinutes, m.iSeconds, m.bClockRunning, m.iCurrentMap, m.specialChoice,
            m.iTimes[m.iCurrentMap]};
}

QString RemoteControl::clock() const
{
    const Match& m = window_.match();
    return cli::clockText(m.iHours, m.iMinutes, m.iSeconds);
}

bool RemoteControl::running() const
{
    return window_.match().bClockRunning;
}

void RemoteControl::clockShown()
{
    if (clock() == lastClock_ && running() == lastRunning_)
        return;
    lastClock_ = clock();
    lastRunning_ = running();
    emit ClockChanged(lastClock_, lastRunning_);
}

void RemoteControl::runChecked(cli::Verb verb, std::optional<int> value, const QString& given)
{
    if (!value) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("'%1' is not a valid value").arg(given));
        return;
    }
    run({verb, *value});
}

void RemoteControl::Activate(const QString& token)
{
    if (!token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8()); // Qt's Wayland client takes it from there
    run({cli::Verb::Show});
}
void RemoteControl::Start() { run({cli::Verb::Start}); }
void RemoteControl::Stop() { run({cli::Verb::Stop}); }
void RemoteControl::Reset() { run({cli::Verb::Reset}); }
void RemoteControl::Toggle() { run({cli::Verb::Toggle}); }
void RemoteControl::Sync() { run({cli::Verb::Sync}); }

void RemoteControl::DelayedStart(int seconds)
{
    runChecked(cli::Verb::DelayedStart, cli::delaySeconds(QString::number(seconds)), QString::number(seconds));
}

void RemoteControl::SelectMap(const QString& map)
{
    runChecked(cli::Verb::Map, cli::mapNumber(map), map);
}

void RemoteControl::SelectSpecial(const QString& special)
{
    runChecked(cli::Verb::Special, cli::specialChoice(special), special);
}

void RemoteControl::Nudge(int step)
{
    runChecked(cli::Verb::Nudge, cli::nudgeStep(QString::number(step)), QString::number(step));
}

QString RemoteControl::Status()
{
    return cli::statusJson(status());
}
