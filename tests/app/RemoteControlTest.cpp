// The running timer's bus interface on a private session bus, called as another
// program calls it: through its introspection, on a connection of its own.

#include "app/RemoteControl.h"
#include "platform/ProgramInfo.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"
#include "timer/RunningMatch.h"

#include <QDBusInterface>
#include <QEventLoop>
#include <QScopeGuard>
#include <QThread>
#include <QDBusReply>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QWidget>
#include <gtest/gtest.h>

#include <tuple>

namespace {

void callAsAnotherProgram()
{
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
    const auto disconnect = qScopeGuard([] { QDBusConnection::disconnectFromBus("client"); });
    QDBusInterface timer(program::appId, remote::path, remote::interface, client);
    ASSERT_TRUE(timer.isValid()) << timer.lastError().message().toStdString();
    QSignalSpy clockChanged(&timer, SIGNAL(ClockChanged(QString, bool)));
    const auto status = [&] {
        return QJsonDocument::fromJson(QDBusReply<QString>(timer.call("Status"))
                                           .value().toUtf8()).object();
    };

    // Each call, then its error (none: empty) and what Status says after it.
    const std::tuple<const char*, QVariant, const char*, const char*> rows[] = {
        {"Start", {}, "", R"("clock":"00:00:00","running":true)"},
        {"Nudge", 1, "", R"("camo":null,"clock":"00:00:01","map":"Battle Creek",)"
                         R"("overshield":"0:03","rocket":"0:05","running":true,"sniper":"0:09",)"
                         R"("special":"none")"},
        {"Nudge", 2, "InvalidArgs", R"("clock":"00:00:01")"},
        {"Nudge", "1", "InvalidSignature", R"("clock":"00:00:01")"},
        {"SelectMap", "blood GULCH", "", R"("clock":"00:00:00","map":"Blood Gulch")"},
        {"SelectMap", "13", "InvalidArgs", R"("map":"Blood Gulch")"},
        {"SelectSpecial", "ODDBALL", "", R"("special":"oddball")"},
        {"DelayedStart", 0, "InvalidArgs", R"("running":false)"},
        {"DelayedStart", 5, "", R"("running":false)"},
        {"Toggle", {}, "", R"("running":true)"},
        {"Stop", {}, "", R"("running":false)"},
        {"Start", {}, "", R"("running":true)"},
        {"Nudge", 1, "", R"("clock":"00:00:01")"},
        {"Reset", {}, "", R"("clock":"00:00:00","running":false)"},
    };
    for (const auto& [method, argument, error, shown] : rows) {
        SCOPED_TRACE(std::string(method) + ' ' + argument.toString().toStdString());
        const QDBusMessage reply = argument.isValid()
                                       ? timer.call(method, argument)
                                       : timer.call(method);
        EXPECT_EQ(reply.errorName().section('.', -1), error);
        const QJsonObject want = QJsonDocument::fromJson(QByteArray("{") + shown + "}").object();
        const QJsonObject now = status();
        for (auto it = want.begin(); it != want.end(); ++it)
            EXPECT_EQ(now.value(it.key()), it.value()) << it.key().toStdString();
    }
    EXPECT_EQ(timer.property("Clock").toString(), "00:00:00");
    EXPECT_EQ(timer.property("Running").toBool(), false);

    // Start at 00:00:00 is a change too: each start and stop, each new second, once.
    while (clockChanged.size() < 8 && clockChanged.wait(5000)) {
    }
    QStringList changes;
    for (const QList<QVariant>& signal : clockChanged)
        changes << signal[0].toString() + (signal[1].toBool() ? " on" : " off");
    EXPECT_EQ(changes.join(", "), "00:00:00 on, 00:00:01 on, 00:00:00 off, 00:00:00 on, "
                                  "00:00:00 off, 00:00:00 on, 00:00:01 on, 00:00:00 off");
}

TEST(RemoteControlTest, EachMethodReachesTheRunningMatch)
{
    TempProgramFolder dir;
    ASSERT_TRUE(dir.writeIni(kShortPeriodsIni));
    FakePlatform fake;
    RunningMatch running(dir.files(), fake.clocks, fake.sound);
    running.load([] { return true; });
    QWidget window;
    RemoteControl remote(running, &window);
    ASSERT_EQ(remote.serve({}), std::nullopt);
    EXPECT_TRUE(window.isVisible());

    // The caller runs in a thread of its own, so that this one can answer it.
    QThread* caller = QThread::create([] { callAsAnotherProgram(); });
    QEventLoop serving;
    QObject::connect(caller, &QThread::finished, &serving, &QEventLoop::quit);
    caller->start();
    serving.exec();
    delete caller;
    EXPECT_EQ(running.match().delayCaption, 5);
}

} // namespace
