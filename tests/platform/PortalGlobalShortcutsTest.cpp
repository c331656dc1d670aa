#include "platform/PortalGlobalShortcuts.h"
#include "support/Printers.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTest>
#include <gtest/gtest.h>

// The desktop's portal, on a connection of its own to the test's private session
// bus: it answers each request at once and records what it was asked.
struct FakePortal : QDBusVirtualObject {
    const QString path = "/org/freedesktop/portal/desktop", session = path + "/session/zorvu";
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "portal");
    uint answer = 0; // the response to the next BindShortcuts
    QMap<QString, QString> triggers; // shortcut id -> preferred trigger
    QStringList closed;
    const bool up = bus.registerVirtualObject(path, this, QDBusConnection::SubPath) &&
                    bus.registerService("org.freedesktop.portal.Desktop");

    ~FakePortal() override { QDBusConnection::disconnectFromBus("portal"); }
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection&) override
    {
        const QString method = call.member();
        if (method == "Close")
            return closed << call.path(), bus.send(call.createReply());
        if (method == "Get") // the interface's version
            return bus.send(call.createReply(QVariant::fromValue(QDBusVariant(1u))));
        const auto options = qdbus_cast<QVariantMap>(call.arguments().last());
        const QString request = path + "/request/" + call.service().mid(1).replace('.', '_') +
                                '/' + options["handle_token"].toString();
        bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        const bool binding = method == "BindShortcuts";
        using Shortcuts = QList<QPair<QString, QVariantMap>>; // a(sa{sv})
        const QVariant shortcuts = binding ? call.arguments()[1] : QVariant();
        for (const auto& [id, shortcut] : qdbus_cast<Shortcuts>(shortcuts))
            triggers[id] = shortcut["preferred_trigger"].toString();
        auto response =
            QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
        const auto handle = QVariant::fromValue(QDBusObjectPath(session));
        return bus.send(response << (binding ? std::exchange(answer, 0u) : 0u)
                                 << QVariantMap{{"session_handle", handle}});
    }
};

// A desktop without the portal is left to the X11 fallback's end-to-end test.
TEST(PortalGlobalShortcutsTest, BindsTheKeysReportsTheirActionsAndTakesANo)
{
    FakePortal portal;
    PortalGlobalShortcuts shortcuts{QDBusConnection::sessionBus()};
    QStringList events; // the answers, and the actions as ShortcutAction numbers them
    QObject::connect(&shortcuts, &GlobalShortcuts::enabled, [&] { events << "enabled"; });
    QObject::connect(&shortcuts, &GlobalShortcuts::failed, [&] { events << "failed"; });
    QObject::connect(&shortcuts, &GlobalShortcuts::activated,
                     [&](ShortcutAction a) { events << QString::number(int(a)); });

    portal.answer = 1; // the user said no: the session goes
    shortcuts.enable();
    ASSERT_TRUE(QTest::qWaitFor([&] { return portal.closed.size() == 1; }));
    shortcuts.enable();
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 2; }));
    // Every binding, each with its own key (the table of keys is the commands' own).
    EXPECT_EQ(portal.triggers.size(), 5);
    EXPECT_EQ(portal.triggers["nudge-back"], QStringLiteral("CTRL+ALT+Down"));
    for (const char* id : {"nudge-back", "sync", "toggle", "nudge-forward", "reset"})
        portal.bus.send(QDBusMessage::createSignal(
                            portal.path, "org.freedesktop.portal.GlobalShortcuts", "Activated")
                        << QVariant::fromValue(QDBusObjectPath(portal.session)) << QString(id)
                        << 0ull << QVariantMap());
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 7; }));
    EXPECT_EQ(events, (QStringList{"failed", "enabled", "4", "2", "0", "3", "1"}));

    shortcuts.disable();
    ASSERT_TRUE(QTest::qWaitFor([&] { return portal.closed.size() == 2; }));
    EXPECT_EQ(portal.closed, (QStringList{portal.session, portal.session}));
}
