// The desktop effects against a real X server, window manager and session bus;
// run-on-x11.sh provides all three. What the test sees it reads through a second
// X connection of its own, as another program on the desktop would.

#include "platform/LinuxDesktopEffects.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

// Readable failures.
void PrintTo(const QRect& rect, std::ostream* out)
{
    *out << rect.x() << ',' << rect.y() << ' ' << rect.width() << 'x' << rect.height();
}
void PrintTo(const QString& text, std::ostream* out)
{
    *out << text.toStdString();
}

// A stand-in for the desktop's screen-saver service: it records what it is asked;
// the n-th Inhibit gets the cookie 4711 + n.
class FakeScreenSaverService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList calls() const
    {
        QMutexLocker lock(&mutex_);
        return calls_;
    }

public slots:
    uint Inhibit(const QString& /*application*/, const QString& /*reason*/)
    {
        QMutexLocker lock(&mutex_);
        calls_ << QStringLiteral("Inhibit");
        return 4711 + uint(calls_.count(QStringLiteral("Inhibit"))) - 1;
    }
    void UnInhibit(uint cookie)
    {
        QMutexLocker lock(&mutex_);
        calls_ << QStringLiteral("UnInhibit %1").arg(cookie);
    }

private:
    mutable QMutex mutex_;
    QStringList calls_;
};

namespace {

// How long the window manager and the X server get to do what was asked.
constexpr int kSettleMs = 5000;

class X11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs Qt on X11 (run through run-on-x11.sh)";
        observer_.reset(XOpenDisplay(nullptr));
        ASSERT_TRUE(observer_) << "no X server";
    }

    Display* observer() const { return observer_.get(); }

    // The 32-bit items of a window property; none when the window has no such property.
    std::vector<Atom> property(Window window, const char* name) const
    {
        std::vector<Atom> items;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(observer(), window, XInternAtom(observer(), name, False), 0, 1024, False,
                               AnyPropertyType, &type, &format, &count, &remaining, &data) == Success &&
            data) {
            if (format == 32)
                items.assign(reinterpret_cast<const Atom*>(data), reinterpret_cast<const Atom*>(data) + count);
            XFree(data);
        }
        return items;
    }

    bool isAbove(Window window) const
    {
        const std::vector<Atom> states = property(window, "_NET_WM_STATE");
        return std::ranges::count(states, XInternAtom(observer(), "_NET_WM_STATE_ABOVE", False)) == 1;
    }

    // The window's place on the screen and its size, as the X server has them.
    QRect screenGeometry(Window window) const
    {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(observer(), window, &attributes))
            return {};
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(observer(), window, attributes.root, 0, 0, &x, &y, &child);
        return {x, y, attributes.width, attributes.height};
    }

    // Shows the window and waits until the window manager has taken it on and placed
    // it (placement may take a configure or two after the map).
    Window showManaged(QWidget& window)
    {
        window.show();
        const auto id = Window(window.winId());
        QRect last;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                XWindowAttributes attributes{};
                const bool managed = !property(id, "WM_STATE").empty() &&
                                     XGetWindowAttributes(observer(), id, &attributes) &&
                                     attributes.map_state == IsViewable;
                const QRect previous = std::exchange(last, screenGeometry(id));
                return managed && previous == last;
            },
            kSettleMs));
        return id;
    }

    std::unique_ptr<Display, int (*)(Display*)> observer_{nullptr, XCloseDisplay};
};

TEST_F(X11Test, ShownWindowGoesAboveAndBackInPlace)
{
    QWidget window;
    window.resize(320, 240);
    window.move(200, 150);
    const Window id = showManaged(window);
    const QRect placed = screenGeometry(id);
    ASSERT_FALSE(isAbove(id));
    XSelectInput(observer(), id, StructureNotifyMask);
    XSync(observer(), True);

    LinuxDesktopEffects effects;
    // Asked again for the state it has, the window keeps it.
    for (const bool onTop : {true, true, false, false, true}) {
        SCOPED_TRACE(onTop ? "on top" : "off top");
        effects.setAlwaysOnTop(&window, onTop);
        EXPECT_TRUE(QTest::qWaitFor([&] { return isAbove(id) == onTop; }, kSettleMs));
        EXPECT_EQ(Window(window.winId()), id) << "the window was made anew";
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(screenGeometry(id), placed);
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        XSync(observer(), False);
        for (XEvent event; XPending(observer());) {
            XNextEvent(observer(), &event);
            EXPECT_TRUE(event.type != UnmapNotify && event.type != ReparentNotify && event.type != DestroyNotify)
                << "the window left the screen (X event " << event.type << ")";
        }
    }
}

TEST_F(X11Test, HiddenWindowStaysHiddenAndMapsWithTheLastState)
{
    // The settings may be read more than once before the window first shows.
    const struct {
        const char* what;
        std::vector<bool> asked;
        bool above;
    } cases[] = {{"on", {true}, true}, {"off", {false}, false}, {"on, then off", {true, false}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget window;
        window.resize(300, 200);
        LinuxDesktopEffects effects;
        for (const bool onTop : c.asked)
            effects.setAlwaysOnTop(&window, onTop);
        QCoreApplication::processEvents();
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(isAbove(showManaged(window)), c.above);
    }
}

TEST_F(X11Test, ScreenSaverHeldOffOnceHoweverOftenItIsSwitchedOff)
{
    int eventBase = 0;
    int errorBase = 0;
    ASSERT_TRUE(XScreenSaverQueryExtension(observer(), &eventBase, &errorBase));
    const std::unique_ptr<XScreenSaverInfo, int (*)(void*)> info(XScreenSaverAllocInfo(), XFree);
    const auto query = [&] {
        XScreenSaverQueryInfo(observer(), DefaultRootWindow(observer()), info.get());
        return *info;
    };
    // The session's screen-saver service, served from a thread and a connection
    // of its own: the effects wait for its answer on the main thread.
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
    FakeScreenSaverService fake;
    QThread thread;
    thread.start();
    fake.moveToThread(&thread);
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-screensaver");
    EXPECT_TRUE(bus.registerObject("/org/freedesktop/ScreenSaver", &fake, QDBusConnection::ExportAllSlots));
    EXPECT_TRUE(bus.registerService("org.freedesktop.ScreenSaver"));

    // The X server's suspend and the service's inhibit are each held once however
    // often the saver is switched off, and given back by one on.
    const QString in = QStringLiteral("Inhibit");
    const QString out1 = QStringLiteral("UnInhibit 4711");
    const QString out2 = QStringLiteral("UnInhibit 4712");
    const struct {
        bool enable;
        QStringList calls; // all that the service was asked so far
    } steps[] = {
        {true, {}}, // allowing is the session's own state
        {false, {in}},
        {false, {in}},
        {false, {in}},
        {true, {in, out1}},
        {true, {in, out1}},
        {false, {in, out1, in}},
        {true, {in, out1, in, out2}},
    };
    // The shortest time-out the server knows: a saver that is allowed comes on
    // within a second of no input.
    XSetScreenSaver(observer(), 1, 0, DontPreferBlanking, AllowExposures);
    LinuxDesktopEffects effects;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.calls.join(", ").toStdString());
        XForceScreenSaver(observer(), ScreenSaverReset);
        XSync(observer(), False);
        EXPECT_TRUE(effects.enableScreenSaver(step.enable));
        EXPECT_EQ(fake.calls(), step.calls);
        if (step.enable) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return query().state == ScreenSaverOn; }, kSettleMs));
        } else {
            // Idle until the saver would have come on twice over.
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return query().state == ScreenSaverOn || query().idle >= 1500; }, kSettleMs));
            EXPECT_EQ(query().state, ScreenSaverOff);
        }
    }

    bus.unregisterObject("/org/freedesktop/ScreenSaver");
    QDBusConnection::disconnectFromBus("fake-screensaver");
    thread.quit();
    thread.wait();
    XSetScreenSaver(observer(), 0, 0, DefaultBlanking, DefaultExposures);
    XSync(observer(), False);
}

} // namespace

#include "LinuxDesktopEffectsX11Test.moc"
