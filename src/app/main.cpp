#include "about/ProgramIcon.h"
#include "app/MainWindow.h"
#include "platform/LinuxDesktopEffects.h"
#include "platform/Platform.h"
#include "platform/ProgramInfo.h"
#include "platform/QtDialogs.h"
#include "platform/QtSoundPlayer.h"
#include "platform/SystemLauncher.h"
#include "platform/SystemRegistry.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(program::title);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setWindowIcon(program::icon());
    // Lets the desktop match the windows to the installed org.zorvu.Timer.desktop.
    QGuiApplication::setDesktopFileName(program::appId);
    program::locateSettingsAndSounds();

    QtSoundPlayer sound;
    LinuxDesktopEffects desktop;
    QtDialogs dialogs;
    SystemRegistry registry;
    SystemLauncher launcher;
    Platform platform{sound, desktop, dialogs, registry, launcher};

    MainWindow window(platform);
    window.show();
    return app.exec();
}
