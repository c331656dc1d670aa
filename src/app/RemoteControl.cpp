#include "app/RemoteControl.h"

#include "app/WebServer.h"
#include "platform/ProgramInfo.h"
#include "timer/RunningMatch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QJsonDocument>
#include <QScopeGuard>
#include <QWidget>

#include <cstdio>

using commands::Verb;

namespace {

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

void print(FILE* stream, const QString& text)
{
    std::fputs(qPrintable(text), stream);
}

// Sends the command to the timer that owns the bus name.
int forward(const QDBusConnection& bus, const commands::Command& command)
{
    const commands::Row& row = commands::row(command.verb);
    QDBusMessage call = QDBusMessage::createMethodCall(
        program::appId, remote::path, remote::interface, QLatin1String(row.method));
    if (command.verb == Verb::Show)
        // A Wayland compositor raises a window only for the token of a user's action,
        // which the launcher gave the process that was started.
        call << qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    else if (row.argument == 'i')
        call << command.value;
    else if (row.argument == 's')
        call << command.text;
    const QDBusMessage reply = bus.call(call);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        print(stderr, QStringLiteral("zorvu-timer: %1\n").arg(reply.errorMessage()));
        return 1;
    }
    if (command.verb == Verb::Status)
        print(stdout, reply.arguments().value(0).toString() + QLatin1Char('\n'));
    return 0;
}

} // namespace

std::optional<int> remote::handOver(int argc, char* argv[], commands::Command& command)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const commands::Parsed parsed = commands::parse(args);
    if (parsed.exitStatus >= 0) {
        print(parsed.exitStatus ? stderr : stdout, parsed.output + QLatin1Char('\n'));
        return parsed.exitStatus;
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
    if (parsed.command.verb == Verb::Status) {
        print(stdout, QStringLiteral("not running\n"));
        return 3;
    }
    command = parsed.command;
    return std::nullopt;
}

RemoteControl::RemoteControl(RunningMatch& match, QWidget& window, WebServer* web)
    : match_(match), window_(window), web_(web), lastClock_(commands::clockText(match.match())),
      lastRunning_(match.match().bClockRunning)
{
    connect(&match_, &RunningMatch::changed, this, &RemoteControl::clockShown);
}

std::optional<int> RemoteControl::serve(const commands::Command& command)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        // The object first: whoever sees the name can call it at once.
        bus.registerVirtualObject(remote::path, this);
        if (!bus.registerService(program::appId)) {
            // Another timer started at the same moment and won.
            bus.unregisterObject(remote::path);
            return forward(bus, command);
        }
    }
    if (const QString why = carryOut(command); !why.isEmpty())
        print(stderr, QStringLiteral("zorvu-timer: %1\n").arg(why));
    return std::nullopt;
}

QString RemoteControl::carryOut(const commands::Command& command)
{
    if (command.verb == Verb::Web && web_) {
        const int port = command.value ? command.value : web_->chosenPort();
        const bool lan = command.text.split(QLatin1Char(' ')).contains(QLatin1String("lan"));
        return web_->start(quint16(port), lan).value_or(QString());
    }
    if (command.verb == Verb::WebOff && web_)
        web_->stop();
    if (command.verb != Verb::Show) {
        commands::run(match_, command);
        return {};
    }
    if (!command.text.isEmpty())
        // Qt's Wayland client takes the token from there.
        qputenv("XDG_ACTIVATION_TOKEN", command.text.toUtf8());
    window_.setWindowState((window_.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window_.show();
    window_.raise();
    window_.activateWindow();
    return {};
}

QString RemoteControl::statusLine() const
{
    QJsonObject json = commands::status(match_.match());
    json.insert(QStringLiteral("web"), web_ ? web_->status() : WebServer::offStatus());
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

QString RemoteControl::introspect(const QString&) const
{
    QString xml = QStringLiteral("<interface name=\"%1\">\n").arg(remote::interface);
    for (const commands::Row& row : commands::table()) {
        xml += QStringLiteral("  <method name=\"%1\">\n").arg(QLatin1String(row.method));
        if (row.argument)
            xml += QStringLiteral("    <arg name=\"value\" type=\"%1\" direction=\"in\"/>\n")
                       .arg(QLatin1Char(row.argument));
        if (row.verb == Verb::Status)
            xml += QStringLiteral("    <arg name=\"json\" type=\"s\" direction=\"out\"/>\n");
        xml += QStringLiteral("  </method>\n");
    }
    return xml + QStringLiteral("  <signal name=\"ClockChanged\">\n"
                                "    <arg name=\"clock\" type=\"s\"/>\n"
                                "    <arg name=\"running\" type=\"b\"/>\n"
                                "  </signal>\n"
                                "  <property name=\"Clock\" type=\"s\" access=\"read\"/>\n"
                                "  <property name=\"Running\" type=\"b\" access=\"read\"/>\n"
                                "</interface>\n");
}

bool RemoteControl::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    const QList<QVariant> args = message.arguments();
    auto reply = [&](const QList<QVariant>& values = {}) {
        connection.send(message.createReply(values));
        return true;
    };
    auto refuse = [&](QDBusError::ErrorType type, const QString& why) {
        connection.send(message.createErrorReply(type, why));
        return true;
    };
    if (message.interface() == kProperties) {
        if (args.value(0).toString() != remote::interface)
            return refuse(QDBusError::UnknownInterface, args.value(0).toString());
        if (message.member() == QLatin1String("GetAll"))
            return reply({properties()});
        const QString name = args.value(1).toString();
        if (!properties().contains(name))
            return refuse(QDBusError::UnknownProperty, name);
        if (message.member() == QLatin1String("Set"))
            return refuse(QDBusError::PropertyReadOnly, name);
        return reply({QVariant::fromValue(QDBusVariant(properties().value(name)))});
    }
    if (!message.interface().isEmpty() && message.interface() != remote::interface)
        return false;
    const auto& table = commands::table();
    const auto row = std::ranges::find_if(
        table, [&](const commands::Row& r) { return message.member() == QLatin1String(r.method); });
    if (row == table.end() && message.interface().isEmpty())
        return false; // Introspect and Ping, which Qt answers
    if (row == table.end())
        return refuse(QDBusError::UnknownMethod, message.member());
    const QString signature = row->argument ? QString(QLatin1Char(row->argument)) : QString();
    if (message.signature() != signature)
        return refuse(QDBusError::InvalidSignature,
                      QStringLiteral("%1 takes '%2'").arg(QLatin1String(row->method), signature));
    commands::Command command{row->verb, 0, args.value(0).toString()};
    if (row->read) {
        const auto checked = row->read(command.text);
        if (!checked)
            return refuse(QDBusError::InvalidArgs,
                          QStringLiteral("'%1' is not %2")
                              .arg(command.text, QLatin1String(row->expected)));
        command.value = *checked;
    }
    if (row->verb == Verb::Status)
        return reply({statusLine()});
    if (const QString why = carryOut(command); !why.isEmpty())
        return refuse(QDBusError::Failed, why);
    return reply();
}

QVariantMap RemoteControl::properties() const
{
    return {{QStringLiteral("Clock"), commands::clockText(match_.match())},
            {QStringLiteral("Running"), match_.match().bClockRunning}};
}

void RemoteControl::clockShown()
{
    const QString clock = commands::clockText(match_.match());
    const bool running = match_.match().bClockRunning;
    if (clock == lastClock_ && running == lastRunning_)
        return;
    lastClock_ = clock;
    lastRunning_ = running;
    QDBusMessage signal = QDBusMessage::createSignal(remote::path, remote::interface,
                                                     QStringLiteral("ClockChanged"));
    signal << clock << running;
    QDBusConnection::sessionBus().send(signal);
}
