#pragma once

#include "app/Commands.h"

#include <QDBusError>
#include <QDBusVirtualObject>

#include <optional>

class QLocalSocket;
class QWidget;
class RunningMatch;
class Team;
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
// the command table; or, without the bus's name, the same methods on the local
// socket. Every command goes to the running match; the window is only brought forward.
class RemoteControl : public QDBusVirtualObject {
    Q_OBJECT
public:
    // window: the one Activate brings forward; it may come later, before the event
    // loop runs.
    RemoteControl(RunningMatch& match, QWidget* window, WebServer* web = nullptr,
                  Team* team = nullptr);
    void setWindow(QWidget* window) { window_ = window; }

    // Asks the bus for the name. Any thread may ask, while the one that made this
    // object goes on with other work; claim() then takes the answer.
    void requestName();
    // Takes the bus name, or the local socket when the bus cannot give the name.
    // Gives an exit status when another timer was there first: the command went to
    // that one instead.
    std::optional<int> claim(const commands::Command& command);
    // Carries out the command this timer was started with; says on stderr what failed.
    void carryOutAtStart(const commands::Command& command);
    // Both.
    std::optional<int> serve(const commands::Command& command);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    // One call of a method of the table, its value as text: an error and its
    // message, or the method's answer (Status's JSON).
    struct Answer {
        QDBusError::ErrorType error = QDBusError::NoError;
        QString text;
    };
    Answer answer(const commands::Row& row, const QString& value);
    std::optional<int> serveLocally(const commands::Command& command);
    void takeLocalCall(QLocalSocket& client);
    // What went wrong, if anything.
    QString carryOut(const commands::Command& command);
    QString statusLine() const;
    // The properties: Clock, Running.
    QVariantMap properties() const;
    // ClockChanged, each time the clock or whether it runs has changed.
    void clockShown();

    RunningMatch& match_;
    QWidget* window_;
    std::optional<bool> named_; // the bus's answer to requestName()
    QString refusal_;           // and why it refused
    WebServer* web_;
    Team* team_;
    QString lastClock_;
    bool lastRunning_ = false;
};
