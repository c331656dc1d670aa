// The desktop effects against a real X server, window manager and session bus;
// run-on-x11.sh provides all three. What the test sees it reads through a second
// X connection of its own, as another program on the desktop would.

#include "platform/LinuxDesktopEffects.h"
#include "platform/ProgramInfo.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <vector>

// Readable failures for geometries.
void PrintTo(const QRect& rect, std::ostream* out)
{
    *out << rect.x() << ',' << rect.y() << ' ' << rect.width() << 'x' << rect.height();
}

namespace {

// How long the window manager and the X server get to do what was asked.
constexpr int kSettleMs = 5000;

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

class X11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs Qt on X11 (run through run-on-x11.sh)";
        observer_.reset(XOpenDisplay(nullptr));
        ASSERT_TRUE(observer_) << "no X server";
        netWmState_ = XInternAtom(observer(), "_NET_WM_STATE", False);
        above_ = XInternAtom(observer(), "_NET_WM_STATE_ABOVE", False);
        wmState_ = XInternAtom(observer(), "WM_STATE", False);
    }

    Display* observer() const { return observer_.get(); }

    std::vector<Atom> atomsOf(Window window, Atom property) const
    {
        std::vector<Atom> atoms;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(observer(), window, property, 0, 1024, False, AnyPropertyType, &type,
                               &format, &count, &remaining, &data) == Success &&
            data) {
            if (type == XA_ATOM && format == 32) {
                const auto* values = reinterpret_cast<const Atom*>(data);
                atoms.assign(values, values + count);
            }
            XFree(data);
        }
        return atoms;
    }

    bool isAbove(Window window) const
    {
        const std::vector<Atom> states = atomsOf(window, netWmState_);
        return std::find(states.begin(), states.end(), above_) != states.end();
    }

    // The window manager has taken the window on and it is on screen.
    bool isManaged(Window window) const
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(observer(), window, wmState_, 0, 2, False, AnyPropertyType, &type, &format,
                           &count, &remaining, &data);
        const bool hasWmState = data && count > 0;
        if (data)
            XFree(data);
        XWindowAttributes attributes{};
        return hasWmState && XGetWindowAttributes(observer(), window, &attributes) &&
               attributes.map_state == IsViewable;
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

    // Shows the window and waits until the window manager has placed it.
    Window showManaged(QWidget& window)
    {
        window.show();
        const auto id = Window(window.winId());
        EXPECT_TRUE(QTest::qWaitFor([&] { return isManaged(id); }, kSettleMs));
        // Placement may take a configure or two after the map.
        QRect last;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                const QRect now = screenGeometry(id);
                const bool same = now == last;
                last = now;
                return same;
            },
            kSettleMs));
        return id;
    }

    // Counts what happened to the window's mapping since the last call.
    struct MapEvents {
        int unmaps = 0;
        int reparents = 0;
        int destroys = 0;
    };
    MapEvents drainMapEvents()
    {
        XSync(observer(), False);
        MapEvents seen;
        while (XPending(observer())) {
            XEvent event;
            XNextEvent(observer(), &event);
            seen.unmaps += event.type == UnmapNotify;
            seen.reparents += event.type == ReparentNotify;
            seen.destroys += event.type == DestroyNotify;
        }
        return seen;
    }

    std::unique_ptr<Display, DisplayCloser> observer_;
    Atom netWmState_ = 0;
    Atom above_ = 0;
    Atom wmState_ = 0;
};

// ---------------------------------------------------------------- on top

TEST_F(X11Test, ShownWindowGoesAboveAndBackInPlace)
{
    QWidget window;
    window.resize(320, 240);
    window.move(200, 150);
    const Window id = showManaged(window);
    const QRect placed = screenGeometry(id);
    ASSERT_FALSE(isAbove(id));
    XSelectInput(observer(), id, StructureNotifyMask);
    drainMapEvents();

    LinuxDesktopEffects effects;
    for (const bool onTop : {true, false, true, false}) {
        SCOPED_TRACE(onTop ? "on top" : "off top");
        effects.setAlwaysOnTop(&window, onTop);
        EXPECT_TRUE(QTest::qWaitFor([&] { return isAbove(id) == onTop; }, kSettleMs));
        EXPECT_EQ(Window(window.winId()), id) << "the window was made anew";
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(screenGeometry(id), placed);
        const MapEvents seen = drainMapEvents();
        EXPECT_EQ(seen.unmaps, 0) << "the window left the screen";
        EXPECT_EQ(seen.reparents, 0);
        EXPECT_EQ(seen.destroys, 0);
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
    }
}

TEST_F(X11Test, RepeatedCallsKeepTheStateAndThePlace)
{
    QWidget window;
    window.resize(300, 200);
    const Window id = showManaged(window);
    const QRect placed = screenGeometry(id);
    LinuxDesktopEffects effects;
    for (int i = 0; i < 3; ++i)
        effects.setAlwaysOnTop(&window, true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return isAbove(id); }, kSettleMs));
    EXPECT_EQ(screenGeometry(id), placed);
}

TEST_F(X11Test, HiddenWindowStaysHiddenAndMapsWithTheState)
{
    for (const bool onTop : {true, false}) {
        SCOPED_TRACE(onTop ? "on top" : "off top");
        QWidget window;
        window.resize(300, 200);
        LinuxDesktopEffects effects;
        effects.setAlwaysOnTop(&window, onTop);
        EXPECT_FALSE(window.isVisible());
        QCoreApplication::processEvents();
        EXPECT_FALSE(window.isVisible());

        const Window id = showManaged(window);
        EXPECT_EQ(isAbove(id), onTop);
    }
}

TEST_F(X11Test, HiddenWindowTakenOffTopBeforeItIsShown)
{
    // The settings are read twice before the window first shows; the last word counts.
    QWidget window;
    window.resize(300, 200);
    LinuxDesktopEffects effects;
    effects.setAlwaysOnTop(&window, true);
    effects.setAlwaysOnTop(&window, false);
    const Window id = showManaged(window);
    EXPECT_FALSE(isAbove(id));
}

// ---------------------------------------------------------------- screen saver

class ScreenSaverTest : public X11Test {
protected:
    void SetUp() override
    {
        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        int eventBase = 0;
        int errorBase = 0;
        ASSERT_TRUE(XScreenSaverQueryExtension(observer(), &eventBase, &errorBase));
        info_ = XScreenSaverAllocInfo();
        // The shortest time-out the server knows, so that a saver that is allowed
        // comes on within a second of no input.
        XSetScreenSaver(observer(), 1, 0, DontPreferBlanking, AllowExposures);
        XForceScreenSaver(observer(), ScreenSaverReset);
        XSync(observer(), False);
    }

    void TearDown() override
    {
        if (observer()) {
            XForceScreenSaver(observer(), ScreenSaverReset);
            XSetScreenSaver(observer(), 0, 0, DefaultBlanking, DefaultExposures);
            XSync(observer(), False);
        }
        if (info_)
            XFree(info_);
    }

    int state()
    {
        XScreenSaverQueryInfo(observer(), DefaultRootWindow(observer()), info_);
        return info_->state;
    }
    unsigned long idleMs()
    {
        XScreenSaverQueryInfo(observer(), DefaultRootWindow(observer()), info_);
        return info_->idle;
    }

    // Starts the idle time anew and waits until the saver would have come on twice over.
    bool staysOffWhileIdle()
    {
        XForceScreenSaver(observer(), ScreenSaverReset);
        XSync(observer(), False);
        const bool decided =
            QTest::qWaitFor([&] { return state() == ScreenSaverOn || idleMs() >= 1500; }, kSettleMs);
        return decided && state() == ScreenSaverOff;
    }
    bool comesOn()
    {
        return QTest::qWaitFor([&] { return state() == ScreenSaverOn; }, kSettleMs);
    }

    XScreenSaverInfo* info_ = nullptr;
};

TEST_F(ScreenSaverTest, SaverComesOnWhenAllowed)
{
    // The measure itself: with nothing holding it off, the saver starts.
    EXPECT_TRUE(comesOn());
}

TEST_F(ScreenSaverTest, RepeatedOffNeedsOneOnToRelease)
{
    LinuxDesktopEffects effects;
    EXPECT_TRUE(effects.enableScreenSaver(true));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(effects.enableScreenSaver(false));
    EXPECT_TRUE(staysOffWhileIdle());

    EXPECT_TRUE(effects.enableScreenSaver(true));
    EXPECT_TRUE(comesOn()) << "the saver is still held off";
}

TEST_F(ScreenSaverTest, OnOffOnAgain)
{
    LinuxDesktopEffects effects;
    EXPECT_TRUE(effects.enableScreenSaver(false));
    EXPECT_TRUE(staysOffWhileIdle());
    EXPECT_TRUE(effects.enableScreenSaver(true));
    EXPECT_TRUE(comesOn());
    XForceScreenSaver(observer(), ScreenSaverReset);
    EXPECT_TRUE(effects.enableScreenSaver(false));
    EXPECT_TRUE(staysOffWhileIdle());
}

TEST_F(ScreenSaverTest, ReleasedWhenTheEffectsGo)
{
    {
        LinuxDesktopEffects effects;
        effects.enableScreenSaver(false);
        EXPECT_TRUE(staysOffWhileIdle());
    }
    XForceScreenSaver(observer(), ScreenSaverReset);
    EXPECT_TRUE(comesOn());
}

} // namespace

// ---------------------------------------------------------------- session bus

// A stand-in for the desktop's screen-saver service: it records what it is asked.
class FakeScreenSaverService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    struct Record {
        QStringList inhibitors; // application names
        QList<uint> released;
        QList<uint> issued;
    };
    Record record() const
    {
        QMutexLocker lock(&mutex_);
        return record_;
    }

public slots:
    uint Inhibit(const QString& application, const QString& /*reason*/)
    {
        QMutexLocker lock(&mutex_);
        record_.inhibitors << application;
        const uint cookie = 4711 + uint(record_.issued.size());
        record_.issued << cookie;
        return cookie;
    }
    void UnInhibit(uint cookie)
    {
        QMutexLocker lock(&mutex_);
        record_.released << cookie;
    }

private:
    mutable QMutex mutex_;
    Record record_;
};

namespace {

class DBusScreenSaverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "needs a session bus (run through run-on-x11.sh)";
        // Served from a thread and a connection of its own: the effects wait for
        // the answer on the main thread.
        service_ = new FakeScreenSaverService;
        thread_.start();
        service_->moveToThread(&thread_);
        bus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-screensaver")));
        ASSERT_TRUE(bus_->registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), service_,
                                         QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(bus_->registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    }

    void TearDown() override
    {
        if (bus_) {
            bus_->unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
            bus_->unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
            bus_.reset();
            QDBusConnection::disconnectFromBus(QStringLiteral("fake-screensaver"));
        }
        thread_.quit();
        thread_.wait();
        delete service_;
    }

    FakeScreenSaverService* service_ = nullptr;
    QThread thread_;
    std::unique_ptr<QDBusConnection> bus_;
};

TEST_F(DBusScreenSaverTest, OneInhibitForRepeatedOffAndOneUnInhibitForOn)
{
    LinuxDesktopEffects effects;
    EXPECT_TRUE(effects.enableScreenSaver(true));
    EXPECT_TRUE(service_->record().issued.isEmpty()) << "allowing is the session's own state";

    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(effects.enableScreenSaver(false));
    FakeScreenSaverService::Record seen = service_->record();
    EXPECT_EQ(seen.inhibitors, QStringList{program::title});
    EXPECT_TRUE(seen.released.isEmpty());

    EXPECT_TRUE(effects.enableScreenSaver(true));
    EXPECT_TRUE(effects.enableScreenSaver(true));
    seen = service_->record();
    EXPECT_EQ(seen.released, QList<uint>{4711});

    EXPECT_TRUE(effects.enableScreenSaver(false));
    EXPECT_TRUE(effects.enableScreenSaver(true));
    seen = service_->record();
    EXPECT_EQ(seen.issued, (QList<uint>{4711, 4712}));
    EXPECT_EQ(seen.released, (QList<uint>{4711, 4712}));
}

TEST_F(DBusScreenSaverTest, InhibitGivenBackWhenTheEffectsGo)
{
    {
        LinuxDesktopEffects effects;
        effects.enableScreenSaver(false);
    }
    const FakeScreenSaverService::Record seen = service_->record();
    EXPECT_EQ(seen.issued, QList<uint>{4711});
    EXPECT_EQ(seen.released, QList<uint>{4711});
}

} // namespace

#include "LinuxDesktopEffectsX11Test.moc"
