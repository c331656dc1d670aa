#pragma once

class QWidget;

// The system-wide effects the settings ask for, and what the sound hardware offers.
class DesktopEffects {
public:
    virtual ~DesktopEffects() = default;

    // Keeps the window above all others, or takes it off that layer; the window
    // keeps its place and size.
    virtual void setAlwaysOnTop(QWidget* window, bool onTop) = 0;

    // enable = true lets the screen saver come on; false keeps it off.
    // Returns true when the system accepted the change.
    virtual bool enableScreenSaver(bool enable) = 0;

    // How many sound outputs the system has.
    virtual int soundOutputCount() = 0;
};
