#include "platform/LinuxDesktopEffects.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QWidget>

LinuxDesktopEffects::LinuxDesktopEffects() = default;
LinuxDesktopEffects::~LinuxDesktopEffects() = default;

void LinuxDesktopEffects::setAlwaysOnTop(QWidget* window, bool onTop)
{
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        window->show();
}

bool LinuxDesktopEffects::enableScreenSaver(bool enable)
{
    screenSaverEnabled_ = enable;
    return true;
}

int LinuxDesktopEffects::soundOutputCount()
{
    return int(QMediaDevices::audioOutputs().size());
}
