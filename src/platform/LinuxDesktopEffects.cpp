#include "platform/LinuxDesktopEffects.h"

#include "platform/ProgramInfo.h"

#include <QAudioDevice>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QGuiApplication>
#include <QMediaDevices>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

// Xlib's macros (None, Bool, Status...) clash with Qt's names: include it last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <utility>
#include <vector>

namespace {

const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kScreenSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");
// The desktop portal: the way to hold off the idle blanking of a Wayland session
// whose desktop has no ScreenSaver service (or one without Inhibit).
const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kPortalInhibitInterface = QStringLiteral("org.freedesktop.portal.Inhibit");
const QString kPortalRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr uint kPortalInhibitIdle = 8;
const QString kInhibitReason = QStringLiteral("The screen saver is switched off in the settings");
// A screen-saver service that hangs must not freeze the window for long.
constexpr int kDBusTimeoutMs = 2000;

// EWMH _NET_WM_STATE actions.
constexpr long kNetWmStateRemove = 0;
constexpr long kNetWmStateAdd = 1;
// EWMH source indication: a normal application.
constexpr long kSourceApplication = 1;

// Qt's own X11 connection, or null when Qt does not run on X11 (Wayland, offscreen).
Display* x11Display()
{
    if (!qGuiApp)
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

// Writes the state into the window's own _NET_WM_STATE, which the window manager
// reads when it takes the window on.
void writeNetWmAbove(Display* display, Window window, Atom netWmState, Atom above, bool onTop)
{
    std::vector<Atom> states;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, netWmState, 0, 1024, False, XA_ATOM, &type, &format,
                           &count, &remaining, &data) == Success &&
        type == XA_ATOM && format == 32 && data) {
        // Xlib hands 32-bit properties back as longs.
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i)
            if (atoms[i] != above)
                states.push_back(atoms[i]);
    }
    if (data)
        XFree(data);
    if (onTop)
        states.push_back(above);
    if (states.empty())
        XDeleteProperty(display, window, netWmState);
    else
        XChangeProperty(display, window, netWmState, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(states.data()), int(states.size()));
}

// Asks the window manager to put the window into or out of the above layer. Only
// the stacking state changes: the window is neither unmapped nor moved.
void setNetWmAbove(Display* display, Window window, bool onTop)
{
    const Atom netWmState = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom above = XInternAtom(display, "_NET_WM_STATE_ABOVE", False);

    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes))
        return;
    // Not on screen yet: the manager may not have taken the window on, and then it
    // ignores the message below but reads the property when it does.
    if (attributes.map_state != IsViewable)
        writeNetWmAbove(display, window, netWmState, above, onTop);

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = netWmState;
    event.xclient.format = 32;
    event.xclient.data.l[0] = onTop ? kNetWmStateAdd : kNetWmStateRemove;
    event.xclient.data.l[1] = long(above);
    event.xclient.data.l[2] = 0;
    event.xclient.data.l[3] = kSourceApplication;
    XSendEvent(display, attributes.root, False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XFlush(display);
}

} // namespace

LinuxDesktopEffects::LinuxDesktopEffects() = default;

LinuxDesktopEffects::~LinuxDesktopEffects()
{
    // Both would end with the program anyway; an object that is done gives them back.
    if (x11Suspended_)
        suspendX11(false);
    if (inhibitCookie_ || !portalRequest_.isEmpty())
        inhibitDBus(false);
}

void LinuxDesktopEffects::setAlwaysOnTop(QWidget* widget, bool onTop)
{
    if (!widget)
        return;
    QWidget* window = widget->window();
    const Qt::WindowFlags flags = window->windowFlags().setFlag(Qt::WindowStaysOnTopHint, onTop);

    if (!window->isVisible()) {
        // Not shown yet: the hint goes with the window when it is mapped. Changing
        // the flags of a hidden window does not show it.
        if (flags != window->windowFlags())
            window->setWindowFlags(flags);
        return;
    }

    if (Display* display = x11Display(); display && window->windowHandle()) {
        // Changing Qt's hint here would unmap and map the window again (it flickers and
        // may move); the window manager can change the state of the window as it is.
        setNetWmAbove(display, Window(window->winId()), onTop);
        // Keep Qt's record in step, so that a later map carries the same state. On X11
        // a QWindow takes new flags in place (its plugin sends the same request).
        window->overrideWindowFlags(flags);
        window->windowHandle()->setFlags(flags);
        return;
    }

    if (flags == window->windowFlags())
        return;
    // Elsewhere the hint is the only way; Qt puts the window back where it was.
    const QRect geometry = window->geometry();
    window->setWindowFlags(flags);
    if (window->geometry() != geometry)
        window->setGeometry(geometry);
    window->show();
}

bool LinuxDesktopEffects::enableScreenSaver(bool enable)
{
    // Every settings load asks again; only a change reaches the system, because the
    // X server counts suspends.
    if (screenSaverEnabled_ == enable)
        return screenSaverAccepted_;
    screenSaverEnabled_ = enable;
    // Allowing it while nothing holds it back is the session's own state: the
    // first settings load at start-up asks neither the X server nor the bus.
    const bool busHolds = inhibitCookie_ || !portalRequest_.isEmpty();
    if (enable && !x11Suspended_ && !busHolds)
        return screenSaverAccepted_ = true;
    const bool x11 = suspendX11(!enable);
    // Allowing it while the bus holds nothing would only ask the bus whether it
    // could have held it, which the X server has answered.
    if (enable && x11 && !busHolds)
        return screenSaverAccepted_ = true;
    const bool dbus = inhibitDBus(!enable);
    screenSaverAccepted_ = x11 || dbus;
    return screenSaverAccepted_;
}

int LinuxDesktopEffects::soundOutputCount()
{
    return int(QMediaDevices::audioOutputs().size());
}

bool LinuxDesktopEffects::suspendX11(bool suspend)
{
    Display* display = x11Display();
    if (!display)
        return false;
    int eventBase = 0;
    int errorBase = 0;
    if (!XScreenSaverQueryExtension(display, &eventBase, &errorBase))
        return false;
    if (suspend != x11Suspended_) {
        XScreenSaverSuspend(display, suspend ? True : False);
        XFlush(display);
        x11Suspended_ = suspend;
    }
    return true;
}

bool LinuxDesktopEffects::inhibitDBus(bool inhibit)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusConnectionInterface* daemon = bus.interface();
    const auto has = [&](const QString& service) {
        return daemon && daemon->isServiceRegistered(service).value();
    };
    // The portal is often started on demand.
    const auto hasPortal = [&] {
        return has(kPortalService) ||
               (daemon && daemon->activatableServiceNames().value().contains(kPortalService));
    };
    const auto call = [&](const QString& service, const QString& path, const QString& interface,
                          const QString& method, const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        return bus.call(message, QDBus::Block, kDBusTimeoutMs);
    };

    if (inhibit) {
        if (inhibitCookie_ || !portalRequest_.isEmpty())
            return true;
        if (has(kScreenSaverService)) {
            const QDBusMessage reply =
                call(kScreenSaverService, kScreenSaverPath, kScreenSaverInterface,
                     QStringLiteral("Inhibit"), {program::title, kInhibitReason});
            bool ok = false;
            const unsigned cookie =
                reply.arguments().isEmpty() ? 0 : reply.arguments().constFirst().toUInt(&ok);
            if (reply.type() == QDBusMessage::ReplyMessage && ok) {
                inhibitCookie_ = cookie;
                return true;
            }
            // Some desktops' service has no Inhibit (GNOME's): the portal does it there.
        }
        if (!hasPortal())
            return false;
        const QDBusMessage reply =
            call(kPortalService, kPortalPath, kPortalInhibitInterface, QStringLiteral("Inhibit"),
                 {QString(), kPortalInhibitIdle,
                  QVariantMap{{QStringLiteral("reason"), kInhibitReason}}});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return false;
        portalRequest_ = reply.arguments().constFirst().value<QDBusObjectPath>().path();
        return !portalRequest_.isEmpty();
    }

    if (inhibitCookie_) {
        const unsigned cookie = *std::exchange(inhibitCookie_, std::nullopt);
        return call(kScreenSaverService, kScreenSaverPath, kScreenSaverInterface,
                    QStringLiteral("UnInhibit"), {cookie})
                   .type() == QDBusMessage::ReplyMessage;
    }
    if (!portalRequest_.isEmpty()) {
        // The inhibit lasts as long as its request object.
        const QString request = std::exchange(portalRequest_, QString());
        return call(kPortalService, request, kPortalRequestInterface, QStringLiteral("Close"))
                   .type() == QDBusMessage::ReplyMessage;
    }
    return has(kScreenSaverService) || hasPortal();
}
