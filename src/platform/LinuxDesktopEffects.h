#pragma once

#include "platform/DesktopEffects.h"

// On-top and screen saver on a Linux desktop.
class LinuxDesktopEffects : public DesktopEffects {
public:
    LinuxDesktopEffects();
    ~LinuxDesktopEffects() override;

    void setAlwaysOnTop(QWidget* window, bool onTop) override;
    bool enableScreenSaver(bool enable) override;
    int soundOutputCount() override;

private:
    bool screenSaverEnabled_ = true;
};
