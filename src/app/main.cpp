#include "about/ProgramIcon.h"
#include "app/Commands.h"
#include "app/MainWindow.h"
#include "app/RemoteControl.h"
#include "app/WebServer.h"
#include "gui/DeferredIconStyle.h"
#include "platform/DeadlineTimer.h"
#include "platform/LinuxDesktopEffects.h"
#include "platform/Platform.h"
#include "platform/ProgramInfo.h"
#include "platform/QtDialogs.h"
#include "platform/QtSoundPlayer.h"
#include "platform/SystemGlobalShortcuts.h"
#include "platform/SystemLauncher.h"
#include "platform/SystemRegistry.h"
#include "team/Team.h"
#include "timer/RunningMatch.h"

#include <QApplication>
#include <QFontDatabase>
#include <QTimer>

#include <thread>

namespace {
// KWin and Mutter keep an X11 window above the others when it asks them to, and
// have no such request for a Wayland window: under a Wayland desktop that runs
// XWayland, run on X11 unless the user has chosen a platform. Returns whether it chose.
bool preferX11UnderWayland()
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return false;
    qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}
} // namespace

int main(int argc, char* argv[])
{
    // A command for a timer that already runs goes to it, and this process ends.
    commands::Command command;
    if (const auto exitStatus = remote::handOver(argc, argv, command))
        return *exitStatus;

    const bool chosen = preferX11UnderWayland();
    QApplication app(argc, argv);
    // The programs it starts (System Info) choose for themselves.
    if (chosen)
        qunsetenv("QT_QPA_PLATFORM");
    QApplication::setApplicationName(program::title);
    QApplication::setApplicationDisplayName(QString());
    // Lets the desktop match the windows to the installed org.zorvu.Timer.desktop.
    QGuiApplication::setDesktopFileName(program::appId);
    QApplication::setStyle(new DeferredIconStyle(QApplication::style()));

    QtSoundPlayer sound;
    LinuxDesktopEffects desktop;
    QtDialogs dialogs;
    SystemRegistry registry;
    SystemLauncher launcher;
    SteadyTickClocks clocks;
    RunningMatch running(program::locate(program::folder()), clocks, sound);
    WebServer web(running);
    Team team(running, clocks);
    RemoteControl remote(running, nullptr, &web, &team);
    // Connecting to the session bus and asking it for the name is mostly waiting
    // for the bus; meanwhile this thread reads the font list, which the window
    // needs first.
    std::thread naming([&remote] { remote.requestName(); });
    QFontDatabase::families();
    naming.join();
    // Before the window is made: a second timer hands over without making one.
    if (const auto exitStatus = remote.claim(command))
        return *exitStatus;

    SystemGlobalShortcuts shortcuts;
    Platform platform{sound, desktop, dialogs, registry, launcher, shortcuts};
    commands::takeShortcuts(shortcuts, running);
    MainWindow window(platform, running, &web, &team);
    remote.setWindow(&window);
    remote.carryOutAtStart(command);
    window.show();
    // Its five sizes are decoded and sent to the X server: after the window is
    // shown, not before.
    QTimer::singleShot(0, [] { QApplication::setWindowIcon(program::icon()); });
    return app.exec();
}
