#pragma once

#include "platform/DesktopEffects.h"

#include <QString>

#include <optional>

// On-top and screen saver on a Linux desktop.
//
// Screen saver: on X11 the MIT-SCREEN-SAVER extension's suspend, and, where the
// session bus offers it, org.freedesktop.ScreenSaver's Inhibit, else the desktop
// portal's idle inhibit (XWayland's suspend does not reach a Wayland session's
// blanking). All are held by this process's connections, so they end with the
// program at the latest.
//
// On top: on X11 the window manager's _NET_WM_STATE_ABOVE state of the existing
// window; elsewhere Qt's stays-on-top hint.
class LinuxDesktopEffects : public DesktopEffects {
public:
    LinuxDesktopEffects();
    ~LinuxDesktopEffects() override;

    LinuxDesktopEffects(const LinuxDesktopEffects&) = delete;
    LinuxDesktopEffects& operator=(const LinuxDesktopEffects&) = delete;

    void setAlwaysOnTop(QWidget* window, bool onTop) override;
    bool enableScreenSaver(bool enable) override;
    int soundOutputCount() override;

private:
    bool suspendX11(bool suspend);
    bool inhibitDBus(bool inhibit);

    // The state last asked for, and whether the system took it; nothing asked yet
    // means the screen saver is as the session has it.
    std::optional<bool> screenSaverEnabled_;
    bool screenSaverAccepted_ = false;
    // The X server's suspend nests per connection: hold at most one.
    bool x11Suspended_ = false;
    std::optional<unsigned> inhibitCookie_;
    // The portal's request object that holds its inhibit.
    QString portalRequest_;
};
