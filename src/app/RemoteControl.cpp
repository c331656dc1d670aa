#include "app/RemoteControl.h"

#include "app/WebServer.h"
#include "platform/ProgramInfo.h"
#include "team/Team.h"
#include "timer/RunningMatch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <cstdio>

using commands::Command;
using commands::Row;
using commands::Verb;

namespace {

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// A call on the socket is one line of JSON, {"method": ..., "value": ...}; its
// answer one line, {"reply": ...} or {"error": ...}. A caller gets as long as a bus
// call, and a line longer than any call needs is cut off.
constexpr int kCallMs = 25000;
constexpr qint64 kLongestCall = 4096;

void print(FILE* stream, const QString& text)
{
    std::fputs(qPrintable(text), stream);
}


// Where the running timer answers when the session bus cannot carry its name (no
// bus, or one that refuses the name), in a folder that only the user can reach:
// Qt gives the user's runtime folder only when others have no access to it, and
// where $XDG_RUNTIME_DIR is missing or open, one of the user's own under /tmp.
// Empty when there is no such folder.
QString socketPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + program::appId;
}

const Row* byMethod(const QString& method)
{
    for (const Row& r : commands::table())
        if (method == QLatin1String(r.method))
            return &r;
    return nullptr;
}

// The value that the command's method takes, if any.
QVariant valueOf(const Command& command)
{
    const Row& row = commands::row(command.verb);
    if (command.verb == Verb::Show)
        // A Wayland compositor raises a window only for the token of a user's action,
        // which the launcher gave the process that was started.
        return qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    if (row.argument == 'i')
        return command.value;
    if (row.argument == 's')
        return command.text;
    return {};
}

// What the running timer answered: whether it took the command, and Status's JSON
// or the error's message.
struct Reply {
    bool taken;
    QString text;
};

Reply callOverBus(const QDBusConnection& bus, const Command& command)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        program::appId, remote::path, remote::interface,
        QLatin1String(commands::row(command.verb).method));
    if (const QVariant value = valueOf(command); value.isValid())
        call << value;
    const QDBusMessage reply = bus.call(call);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return {false, reply.errorMessage()};
    return {true, reply.arguments().value(0).toString()};
}

Reply callOverSocket(QLocalSocket& socket, const Command& command)
{
    const QJsonObject call{{QStringLiteral("method"), commands::row(command.verb).method},
                           {QStringLiteral("value"), valueOf(command).toString()}};
    socket.write(QJsonDocument(call).toJson(QJsonDocument::Compact) + '\n');
    while (!socket.canReadLine() && socket.waitForReadyRead(kCallMs)) {
    }
    const QJsonObject answer = QJsonDocument::fromJson(socket.readLine(kLongestCall)).object();
    if (!answer.contains(QLatin1String("reply")))
        return {false, answer.value(QLatin1String("error"))
                           .toString(QStringLiteral("the running timer gave no answer"))};
    return {true, answer.value(QLatin1String("reply")).toString()};
}

// Prints what the running timer answered, and gives the exit status.
int handedOver(const Command& command, const Reply& reply)
{
    if (!reply.taken) {
        print(stderr, QStringLiteral("zorvu-timer: %1\n").arg(reply.text));
        return 1;
    }
    if (command.verb == Verb::Status)
        print(stdout, reply.text + QLatin1Char('\n'));
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
    // On a desktop, a plain start claims the name itself before it makes a window,
    // and hands over then if a timer runs: one bus connection, not two.
    const bool desktop = !qEnvironmentVariableIsEmpty("DISPLAY") ||
                         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (parsed.command.verb == Verb::Show && desktop) {
        command = parsed.command;
        return std::nullopt;
    }
    // The bus needs an application object; this one needs no screen, so that
    // --status works from any shell. The window's own comes after it.
    // A connection of its own: the running timer's must be made under the window's.
    QCoreApplication probe(argc, argv);
    const QString name = QStringLiteral("hand-over");
    const QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    const auto disconnect = qScopeGuard([&] { QDBusConnection::disconnectFromBus(name); });
    if (bus.isConnected() && bus.interface()->isServiceRegistered(program::appId))
        return handedOver(parsed.command, callOverBus(bus, parsed.command));
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (socket.waitForConnected(kCallMs))
        return handedOver(parsed.command, callOverSocket(socket, parsed.command));
    if (parsed.command.verb == Verb::Status) {
        print(stdout, QStringLiteral("not running\n"));
        return 3;
    }
    command = parsed.command;
    return std::nullopt;
}

RemoteControl::RemoteControl(RunningMatch& match, QWidget* window, WebServer* web, Team* team)
    : match_(match), window_(window), web_(web), team_(team),
      lastClock_(commands::clockText(match.match())),
      lastRunning_(match.match().bClockRunning)
{
    connect(&match_, &RunningMatch::changed, this, &RemoteControl::clockShown);
}

std::optional<int> RemoteControl::serve(const commands::Command& command)
{
    if (const auto exitStatus = claim(command))
        return exitStatus;
    carryOutAtStart(command);
    return std::nullopt;
}

void RemoteControl::requestName()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    named_ = false;
    if (!bus.isConnected())
        return;
    // The object first: whoever sees the name can call it at once (the calls wait
    // for the event loop, by when the window is there).
    bus.registerVirtualObject(remote::path, this);
    named_ = bus.registerService(program::appId);
    if (!*named_)
        refusal_ = bus.lastError().message();
}

std::optional<int> RemoteControl::claim(const commands::Command& command)
{
    if (!named_)
        requestName();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return serveLocally(command);
    if (*named_)
        return std::nullopt;
    bus.unregisterObject(remote::path);
    const QString why = refusal_;
    // Another timer started at the same moment and won.
    if (bus.interface()->isServiceRegistered(program::appId))
        return handedOver(command, callOverBus(bus, command));
    // A refusal (a policy, a passing fault) is not another timer.
    print(stderr, QStringLiteral("zorvu-timer: the session bus refused the name %1: %2\n")
                      .arg(program::appId, why));
    return serveLocally(command);
}

std::optional<int> RemoteControl::serveLocally(const commands::Command& command)
{
    const QString path = socketPath();
    if (!path.isEmpty()) {
        // Qt's listen() replaces whatever is there, a live timer's socket too: the
        // lock lets one of two timers starting at once listen, and the other hand over.
        QLockFile lock(path + QLatin1String(".lock"));
        lock.lock();
        QLocalSocket other;
        other.connectToServer(path);
        if (other.waitForConnected(kCallMs))
            return handedOver(command, callOverSocket(other, command));
        // Left by a timer that did not end cleanly.
        QLocalServer::removeServer(path);
        auto* server = new QLocalServer(this);
        server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server, &QLocalServer::newConnection, this, [this, server] {
            while (QLocalSocket* client = server->nextPendingConnection()) {
                client->setParent(this);
                client->setReadBufferSize(kLongestCall);
                connect(client, &QLocalSocket::readyRead, this, [this, client] {
                    takeLocalCall(*client);
                });
                connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
                QTimer::singleShot(kCallMs, client, &QLocalSocket::abort);
            }
        });
        if (!server->listen(path))
            print(stderr, QStringLiteral("zorvu-timer: no commands can reach this timer: %1\n")
                              .arg(server->errorString()));
    }
    return std::nullopt;
}

void RemoteControl::carryOutAtStart(const commands::Command& command)
{
    if (const QString why = carryOut(command); !why.isEmpty())
        print(stderr, QStringLiteral("zorvu-timer: %1\n").arg(why));
}

void RemoteControl::takeLocalCall(QLocalSocket& client)
{
    if (!client.canReadLine()) {
        if (client.bytesAvailable() >= kLongestCall)
            client.abort();
        return;
    }
    const QJsonObject call = QJsonDocument::fromJson(client.readLine(kLongestCall)).object();
    const QString method = call.value(QLatin1String("method")).toString();
    const Row* row = byMethod(method);
    const Answer answer = row ? this->answer(*row, call.value(QLatin1String("value")).toString())
                              : Answer{QDBusError::UnknownMethod, method};
    const QJsonObject reply{{answer.error == QDBusError::NoError ? QStringLiteral("reply")
                                                                 : QStringLiteral("error"),
                             answer.text}};
    client.write(QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n');
    client.disconnectFromServer();
}

RemoteControl::Answer RemoteControl::answer(const Row& row, const QString& value)
{
    Command command{row.verb, 0, value};
    if (row.read) {
        const auto checked = row.read(value);
        if (!checked)
            return {QDBusError::InvalidArgs,
                    QStringLiteral("'%1' is not %2").arg(value, QLatin1String(row.expected))};
        command.value = *checked;
    }
    if (row.verb == Verb::Status)
        return {QDBusError::NoError, statusLine()};
    if (const QString why = carryOut(command); !why.isEmpty())
        return {QDBusError::Failed, why};
    return {};
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
    if (command.verb == Verb::Lead && team_)
        return team_->lead(quint16(command.value)).value_or(QString());
    if (command.verb == Verb::Follow && team_) {
        const auto leader = Team::address(command.text.section(QLatin1Char(' '), 0, 0));
        return team_->follow(leader->first, leader->second,
                             command.text.section(QLatin1Char(' '), 1))
            .value_or(QString());
    }
    if (command.verb == Verb::Leave && team_)
        team_->leave();
    if (command.verb != Verb::Show) {
        commands::run(match_, command);
        return {};
    }
    if (!command.text.isEmpty())
        // Qt's Wayland client takes the token from there.
        qputenv("XDG_ACTIVATION_TOKEN", command.text.toUtf8());
    window_->setWindowState((window_->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window_->show();
    window_->raise();
    window_->activateWindow();
    return {};
}

QString RemoteControl::statusLine() const
{
    QJsonObject json = commands::status(match_.match());
    json.insert(QStringLiteral("web"), web_ ? web_->status() : WebServer::offStatus());
    json.insert(QStringLiteral("team"),
                team_ ? team_->status()
                      : QJsonObject{{QStringLiteral("role"), QStringLiteral("none")}});
    QJsonArray leaders;
    for (const FoundLeader& found : team_ ? team_->discovery().leaders() : QList<FoundLeader>())
        leaders.append(QJsonObject{{QStringLiteral("name"), found.name},
                                   {QStringLiteral("host"), found.host},
                                   {QStringLiteral("port"), found.port}});
    json.insert(QStringLiteral("leaders"), leaders);
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
    const Row* row = byMethod(message.member());
    if (!row && message.interface().isEmpty())
        return false; // Introspect and Ping, which Qt answers
    if (!row)
        return refuse(QDBusError::UnknownMethod, message.member());
    const QString signature = row->argument ? QString(QLatin1Char(row->argument)) : QString();
    if (message.signature() != signature)
        return refuse(QDBusError::InvalidSignature,
                      QStringLiteral("%1 takes '%2'").arg(QLatin1String(row->method), signature));
    const Answer answer = this->answer(*row, args.value(0).toString());
    if (answer.error != QDBusError::NoError)
        return refuse(answer.error, answer.text);
    return reply(row->verb == Verb::Status ? QList<QVariant>{answer.text} : QList<QVariant>{});
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
