#include "about/SysInfo.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

using sysinfo::locationKey;
using sysinfo::msinfoKey;

RegistryValue text(const QByteArray& bytes) { return {1, bytes}; }
RegistryValue number(const QByteArray& bytes) { return {4, bytes}; }

// The program is the first key's PATH value read as text, or MSINFO32.EXE in the
// folder that the second key names; without one the user is told.
TEST(StartSysInfo, StartsTheProgramTheRegistryNamesOrSaysItIsUnavailable)
{
    const QByteArray program = "/opt/sys info/bin/sysinfo --all; rm -rf ~";
    const QByteArray full(1023, 'a');
    const QString inFolder = QStringLiteral("/opt/msinfo/MSINFO32.EXE");
    const struct {
        std::optional<RegistryValue> path, folder; // "PATH" of the first key, "MSINFO" of the second
        QStringList existingFiles;
        QStringList started; // nothing started: the message
        bool startSucceeds = true;
    } cases[] = {
        // The whole stored text is the program, spaces and all; the file is not checked.
        {text(program + '\0'), text("/opt/msinfo"), {inFolder}, {program}},
        {text(QByteArray("ab\0\0", 4)), {}, {}, {QString::fromUtf8("ab\0", 3)}}, // one zero goes
        {text(full + 'b'), {}, {}, {QString::fromLatin1(full + 'b')}}, // the buffer full, no zero
        {RegistryValue{2, "/usr/bin/info"}, {}, {}, {""}}, // another type leaves the text as it was
        // A number: its bytes from the last to the first, in hexadecimal without
        // leading zeros, read back as a number.
        {number(QByteArray("\xFF\x80\0\0", 4)), {}, {}, {"-32513"}},
        {number(QByteArray("\0\0\x80\x7F", 4)), {}, {}, {"8355840"}},
        // A PATH naming no program: the start fails and the folder is not tried.
        {text("/nowhere/msinfo32"), text("/opt/msinfo"), {inFolder}, {"/nowhere/msinfo32"}, false},
        {std::nullopt, text(QByteArray("/opt/msinfo\0", 12)), {inFolder}, {inFolder}},
        {std::nullopt, text("/opt/msinfo"), {"/opt/msinfo/other"}, {}},
        {std::nullopt, std::nullopt, {}, {}},
        {text(QByteArray(1025, 'p')), text("/opt/msinfo"), {inFolder}, {inFolder}}, // too long
        // A value of zero length, or a number too large for 32 bits, ends the lookup at once.
        {text(""), text("/opt/msinfo"), {inFolder}, {}},
        {number("\x11\x11\x11\x11\x11"), text("/opt/msinfo"), {inFolder}, {}},
    };
    for (const auto& c : cases) {
        FakePlatform f;
        f.registry.keys[msinfoKey]["Other"] = text("x");
        if (c.path)
            f.registry.keys[msinfoKey]["PATH"] = *c.path;
        if (c.folder)
            f.registry.keys[locationKey]["MSINFO"] = *c.folder;
        f.launcher.existingFiles = c.existingFiles;
        f.launcher.startSucceeds = c.startSucceeds;
        sysinfo::StartSysInfo(f.registry, f.launcher, f.dialogs);
        EXPECT_EQ(f.launcher.started, c.started);
        const bool failed = c.started.isEmpty() || !c.startSucceeds;
        EXPECT_EQ(f.dialogs.messages,
                  (failed ? decltype(f.dialogs.messages){{sysinfo::unavailable, "Zorvu Timer"}}
                          : decltype(f.dialogs.messages){}));
    }
}

// A number's digits go after what the variable held (the lookup above starts empty).
TEST(GetKeyValue, BuildsANumberOnTheHeldText)
{
    FakeRegistry registry;
    registry.keys[msinfoKey]["PATH"] = number(QByteArray("\x05\0\0\0", 4));
    QString value = "9";
    EXPECT_TRUE(sysinfo::GetKeyValue(registry, Registry::LocalMachine, msinfoKey, "PATH", value));
    EXPECT_EQ(value, "-28667");
}

} // namespace
