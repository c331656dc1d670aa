#include "platform/SystemGlobalShortcuts.h"

#include "platform/PortalGlobalShortcuts.h"
#include "platform/X11GlobalShortcuts.h"

SystemGlobalShortcuts::SystemGlobalShortcuts(QObject* parent)
    : GlobalShortcuts(parent),
      portal_(new PortalGlobalShortcuts(QDBusConnection::sessionBus(), this)),
      x11_(X11GlobalShortcuts::create(this).release())
{
    for (GlobalShortcuts* way : {static_cast<GlobalShortcuts*>(portal_),
                                 static_cast<GlobalShortcuts*>(x11_)}) {
        if (!way)
            continue;
        connect(way, &GlobalShortcuts::enabled, this, &GlobalShortcuts::enabled);
        connect(way, &GlobalShortcuts::failed, this, &GlobalShortcuts::failed);
        connect(way, &GlobalShortcuts::activated, this, &GlobalShortcuts::activated);
    }
    connect(portal_, &PortalGlobalShortcuts::unavailable, this, [this](const QString& why) {
        if (!x11_) {
            emit failed(why + QLatin1Char(' ') +
                        tr("Keys can be grabbed only on X11, and this program does not run on "
                           "an X server."));
            return;
        }
        x11_->enable();
    });
}

void SystemGlobalShortcuts::enable()
{
    // The portal is asked every time: the desktop may have gained one.
    portal_->enable();
}

void SystemGlobalShortcuts::disable()
{
    portal_->disable();
    if (x11_)
        x11_->disable();
}
