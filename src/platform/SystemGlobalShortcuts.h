#pragma once

#include "platform/GlobalShortcuts.h"

class PortalGlobalShortcuts;
class X11GlobalShortcuts;

// The desktop's global-shortcuts portal where it has one, otherwise keys grabbed
// on the X server; fails with the reasons of both where neither works.
class SystemGlobalShortcuts : public GlobalShortcuts {
    Q_OBJECT
public:
    explicit SystemGlobalShortcuts(QObject* parent = nullptr);

    void enable() override;
    void disable() override;

private:
    PortalGlobalShortcuts* portal_;
    X11GlobalShortcuts* x11_; // null when the program does not run on an X server
};
