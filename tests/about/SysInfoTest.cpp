#include "about/SysInfo.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

using sysinfo::locationKey;
using sysinfo::msinfoKey;

RegistryValue text(const QByteArray& bytes) { return {1, bytes}; }
RegistryValue number(const QByteArray& bytes) { return {4, bytes}; }

TEST(GetKeyValue, ReadsTheValueAsText)
{
    const QByteArray full(1023, 'a');
    const struct {
        std::optional<RegistryValue> stored; // nothing: the value is missing
        QString held;                        // what the variable held before the call
        bool found;
        QString result;
    } cases[] = {
        {text(QByteArray("ab\0\0", 4)), "", true, QString::fromUtf8("ab\0", 3)}, // the last zero goes
        {text(full + 'b'), "", true, QString::fromLatin1(full + 'b')}, // the buffer full, no zero
        {std::nullopt, "old", false, ""},
        {RegistryValue{2, "/usr/bin/info"}, "old", true, "old"}, // another type keeps the text
        // A number: its bytes from the last to the first, in hexadecimal without
        // leading zeros, after what the variable held, read back as a number.
        {number(QByteArray("\xFF\x80\0\0", 4)), "", true, "-32513"},
        {number(QByteArray("\0\0\x80\x7F", 4)), "", true, "8355840"},
        {number(QByteArray("\x05\0\0\0", 4)), "9", true, "-28667"},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.keys[msinfoKey]["Other"] = text("x");
        if (c.stored)
            registry.keys[msinfoKey]["PATH"] = *c.stored;
        QString value = c.held;
        EXPECT_EQ(sysinfo::GetKeyValue(registry, Registry::LocalMachine, msinfoKey, "PATH", value),
                  c.found);
        EXPECT_EQ(value, c.result);
    }
}

TEST(StartSysInfo, StartsTheProgramOrSaysItIsUnavailable)
{
    const QByteArray program = "/opt/sys info/bin/sysinfo --all; rm -rf ~";
    const QString inFolder = QStringLiteral("/opt/msinfo/MSINFO32.EXE");
    const struct {
        std::optional<RegistryValue> path, folder; // "PATH" of the first key, "MSINFO" of the second
        QStringList existingFiles;
        bool startSucceeds;
        QStringList started; // nothing started: the message
    } cases[] = {
        // The whole stored text is the program, spaces and all; the file is not checked.
        {text(program + '\0'), text("/opt/msinfo"), {inFolder}, true, {program}},
        {text(program), std::nullopt, {}, true, {program}},
        // A PATH naming no program: the start fails and the folder is not tried.
        {text("/nowhere/msinfo32\0"), text("/opt/msinfo"), {inFolder}, false, {"/nowhere/msinfo32"}},
        {std::nullopt, text(QByteArray("/opt/msinfo\0", 12)), {inFolder}, true, {inFolder}},
        {std::nullopt, text("/opt/msinfo"), {"/opt/msinfo/other"}, true, {}},
        {std::nullopt, std::nullopt, {}, true, {}},
        {text(QByteArray(1025, 'p')), text("/opt/msinfo"), {inFolder}, true, {inFolder}}, // too long
        // A value of zero length, or a number too large for 32 bits, ends the lookup at once.
        {text(""), text("/opt/msinfo"), {inFolder}, true, {}},
        {number("\x11\x11\x11\x11\x11"), text("/opt/msinfo"), {inFolder}, true, {}},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        FakeLauncher launcher;
        FakeDialogs dialogs;
        if (c.path)
            registry.keys[msinfoKey]["PATH"] = *c.path;
        if (c.folder)
            registry.keys[locationKey]["MSINFO"] = *c.folder;
        launcher.existingFiles = c.existingFiles;
        launcher.startSucceeds = c.startSucceeds;
        sysinfo::StartSysInfo(registry, launcher, dialogs);
        EXPECT_EQ(launcher.started, c.started);
        const bool failed = c.started.isEmpty() || !c.startSucceeds;
        EXPECT_EQ(dialogs.messages,
                  (failed ? decltype(dialogs.messages){{sysinfo::unavailable, "Zorvu Timer"}}
                          : decltype(dialogs.messages){}));
    }
}

} // namespace
