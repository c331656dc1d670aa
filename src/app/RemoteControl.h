#pragma once

#include "app/Commands.h"

#include <QDBusVirtualObject>

#include <optional>

class QWidget;
class RunningMatch;
class WebServer;

namespace remote {

// Where the running timer answers on the session bus, under the bus name
// program::appId, and its interface.
inline const QString path = QStringLiteral("/org/zorvu/Timer");
inline const QString interface = QStringLiteral("org.zorvu.Timer");

// Runs before the window exists. Reads the command line and, when a timer already
// runs for this user, hands the command to it. Gives the exit status when this
// process is done, or nothing when it is to become the running timer and carry
// `command` out itself.
std::optional<int> handOver(int argc, char* argv[], commands::Command& command);

} // namespace remote

// The running timer on the session bus: the interface org.zorvu.Timer, made from
// the command table. Every command goes to the running match; the window is only
// brought forward.
class RemoteControl : public QDBusVirtualObject {
    Q_OBJECT
public:
    RemoteControl(RunningMatch& match, QWidget& window, WebServer* web = nullptr);

    // Takes the bus name and carries the command out. Gives an exit status when
    // another timer took the name first: the command went to that one instead.
    std::optional<int> serve(const commands::Command& command);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    // What went wrong, if anything.
    QString carryOut(const commands::Command& command);
    QString statusLine() const;
    // The properties: Clock, Running.
    QVariantMap properties() const;
    // ClockChanged, each time the clock or whether it runs has changed.
    void clockShown();

    RunningMatch& match_;
    QWidget& window_;
    WebServer* web_;
    QString lastClock_;
    bool lastRunning_ = false;
};
