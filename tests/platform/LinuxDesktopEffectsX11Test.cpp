// The desktop effects against a real X server, window manager and session bus
// (the end-to-end session's, with a bus of its own). What the test sees it reads
// through a second X connection, as another program on the desktop would.

#include "platform/LinuxDesktopEffects.h"
#include "platform/X11GlobalShortcuts.h"
#include "support/Printers.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>
#include <memory>

namespace {

// A stand-in for the desktop's screen-saver service; the n-th Inhibit gets the cookie 4711 + n.
struct FakeScreenSaverService : QDBusVirtualObject {
    QString calls; // I for an Inhibit, U and the cookie for an UnInhibit

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override
    {
        calls += call.member() == "Inhibit" ? "I" : 'U' + call.arguments().value(0).toString();
        return bus.send(call.createReply(4711u + uint(calls.count('I')) - 1));
    }
};

constexpr int kSettleMs = 5000; // what the window manager and the X server get to act

class X11Test : public ::testing::Test {
protected:
    // Whether the window has the property, or (given an item) whether its list holds it.
    bool has(Window window, const char* name, const char* item = nullptr) const
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(x_.get(), window, XInternAtom(x_.get(), name, False), 0, 64, False,
                           AnyPropertyType, &type, &format, &count, &remaining, &data);
        const std::unique_ptr<unsigned char, int (*)(void*)> held(data, XFree);
        const auto* items = reinterpret_cast<const Atom*>(data); // 32-bit items come as longs
        const Atom wanted = item ? XInternAtom(x_.get(), item, False) : 0;
        return item ? format == 32 && std::count(items, items + count, wanted) == 1 : count > 0;
    }
    bool isAbove(Window w) const { return has(w, "_NET_WM_STATE", "_NET_WM_STATE_ABOVE"); }

    std::unique_ptr<Display, int (*)(Display*)> x_{XOpenDisplay(nullptr), XCloseDisplay};
};

// A hidden window stays hidden and maps with the state last asked for (the
// settings may be read more than once before it shows); a shown one goes above
// and back, without leaving the screen, however often it is asked.
TEST_F(X11Test, OnTopBeforeAndAfterTheWindowShows)
{
    QWidget window;
    LinuxDesktopEffects effects;
    effects.setAlwaysOnTop(&window, false);
    effects.setAlwaysOnTop(&window, true);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
    window.show();
    const auto id = Window(window.winId());
    EXPECT_TRUE(QTest::qWaitFor([&] { return has(id, "WM_STATE") && isAbove(id); }, kSettleMs));
    XSelectInput(x_.get(), id, StructureNotifyMask);
    XSync(x_.get(), True);
    for (const bool onTop : {true, false, false, true}) {
        SCOPED_TRACE(onTop);
        effects.setAlwaysOnTop(&window, onTop);
        EXPECT_TRUE(QTest::qWaitFor([&] { return isAbove(id) == onTop; }, kSettleMs));
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        XSync(x_.get(), False);
        for (XEvent event; XPending(x_.get());) {
            XNextEvent(x_.get(), &event);
            EXPECT_NE(event.type, UnmapNotify) << "the window left the screen, or was made anew";
        }
    }
}

// The X server's suspend and the service's inhibit are each held once however
// often the saver is switched off, and given back by one on.
TEST_F(X11Test, ScreenSaverHeldOffOnceHoweverOftenItIsSwitchedOff)
{
    Display* x = x_.get();
    XScreenSaverInfo info{};
    const auto saverOn = [&] {
        XScreenSaverQueryInfo(x, DefaultRootWindow(x), &info);
        return info.state == ScreenSaverOn;
    };
    // The service on the program's own bus connection: a blocking call to it is
    // answered at once, without an event loop.
    FakeScreenSaverService fake;
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerVirtualObject("/org/freedesktop/ScreenSaver", &fake));
    ASSERT_TRUE(bus.registerService("org.freedesktop.ScreenSaver"));

    const std::pair<bool, QString> steps[] = {
        {true, ""}, // allowing is the session's own state
        {false, "I"}, {false, "I"}, {true, "IU4711"}, {false, "IU4711I"}, {true, "IU4711IU4712"},
    };
    XSetScreenSaver(x, 1, 0, DontPreferBlanking, AllowExposures); // on after 1 s idle
    LinuxDesktopEffects effects;
    for (const auto& [enable, calls] : steps) {
        SCOPED_TRACE(calls.toStdString());
        XForceScreenSaver(x, ScreenSaverReset);
        XSync(x, False);
        EXPECT_TRUE(effects.enableScreenSaver(enable));
        EXPECT_EQ(fake.calls, calls);
        // Off: idle until the saver would have come on, and it did not.
        EXPECT_TRUE(QTest::qWaitFor([&] { return saverOn() || (!enable && info.idle >= 1500); },
                                    kSettleMs));
        EXPECT_EQ(saverOn(), enable);
    }

    XSetScreenSaver(x, 0, 0, DefaultBlanking, DefaultExposures);
    XForceScreenSaver(x, ScreenSaverReset);
    XSync(x, False);
}

// The shortcuts that cannot be had are named: keys another client holds, and keys
// the layout lacks.
TEST_F(X11Test, ShortcutsThatCannotBeHadAreNamed)
{
    Display* x = x_.get();
    const KeyCode s = XKeysymToKeycode(x, XK_s);
    XGrabKey(x, s, ControlMask | Mod1Mask, DefaultRootWindow(x), False, GrabModeAsync,
             GrabModeAsync);
    // Takes a key off the layout; gives back what puts it there again.
    const auto drop = [x](KeySym keysym) {
        const KeyCode code = XKeysymToKeycode(x, keysym);
        int width = 0;
        KeySym* had = XGetKeyboardMapping(x, code, 1, &width);
        std::vector<KeySym> kept(had, had + width), none(width, NoSymbol);
        XFree(had);
        XChangeKeyboardMapping(x, code, width, none.data(), 1);
        return [x, code, kept]() mutable {
            XChangeKeyboardMapping(x, code, int(kept.size()), kept.data(), 1);
        };
    };
    std::vector<std::function<void()>> restore{drop(XK_Up)};
    XSync(x, False);
    QString note, why;
    const auto enable = [&] {
        const auto shortcuts = X11GlobalShortcuts::create();
        QObject::connect(shortcuts.get(), &GlobalShortcuts::enabled, [&](auto n) { note = n; });
        QObject::connect(shortcuts.get(), &GlobalShortcuts::failed, [&](auto w) { why = w; });
        shortcuts->enable();
    };
    enable();
    EXPECT_TRUE(note.contains("holds Ctrl+Alt+S") && note.contains("no key for Ctrl+Alt+Up;"))
        << note.toStdString();
    for (KeySym key : {XK_r, XK_y, XK_Down})
        restore.push_back(drop(key));
    XUngrabKey(x, s, ControlMask | Mod1Mask, DefaultRootWindow(x));
    restore.push_back(drop(XK_s));
    XSync(x, False);
    enable();
    EXPECT_TRUE(why.contains("Ctrl+Alt+S, Ctrl+Alt+R, Ctrl+Alt+Y, Ctrl+Alt+Up, Ctrl+Alt+Down."))
        << why.toStdString();
    for (const auto& put : restore)
        put();
    XSync(x, False);
}

} // namespace
