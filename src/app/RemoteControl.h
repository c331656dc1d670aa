#pragma once

#include "app/Command.h"

#include <QDBusContext>
#include <QObject>
#include <optional>

class MainWindow;

namespace remote {

// Where the running timer answers on the session bus, under the bus name program::appId.
inline const QString path = QStringLiteral("/org/zorvu/Timer");

// Runs before the window exists. Reads the command line and, when a timer already
// runs for this user, hands the command to it. Gives the exit status when this
// process is done, or nothing when it is to become the running timer and apply
// `command` itself.
std::optional<int> handOver(int argc, char* argv[], cli::Command& command);

} // namespace remote

// The running timer on the session bus: the interface org.zorvu.Timer. Every
// command goes to the window's own routines, the ones its buttons and keys use.
class RemoteControl : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.zorvu.Timer")
    Q_PROPERTY(QString Clock READ clock)
    Q_PROPERTY(bool Running READ running)

public:
    explicit RemoteControl(MainWindow& window);

    // Takes the bus name and applies the command. Gives an exit status when
    // another timer took the name first: the command went to that one instead.
    std::optional<int> serve(const cli::Command& command);

    void run(const cli::Command& command);
    cli::Status status() const;
    QString clock() const;
    bool running() const;

public slots:
    // token: the XDG activation token the caller was started with, or empty.
    Q_SCRIPTABLE void Activate(const QString& token);
    Q_SCRIPTABLE void Start();
    Q_SCRIPTABLE void Stop();
    Q_SCRIPTABLE void Reset();
    Q_SCRIPTABLE void Toggle();
    Q_SCRIPTABLE void DelayedStart(int seconds);
    Q_SCRIPTABLE void SelectMap(const QString& map);
    Q_SCRIPTABLE void SelectSpecial(const QString& special);
    Q_SCRIPTABLE void Sync();
    Q_SCRIPTABLE void Nudge(int step);
    Q_SCRIPTABLE QString Status();

signals:
    // Each time the game clock changes: a tick, a reset, a start or a stop.
    Q_SCRIPTABLE void ClockChanged(const QString& clock, bool running);

private:
    void runChecked(cli::Verb verb, std::optional<int> value, const QString& given);
    void clockShown();

    MainWindow& window_;
    QString lastClock_;
    bool lastRunning_ = false;
};
