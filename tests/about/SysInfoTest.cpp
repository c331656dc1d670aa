#include "about/SysInfo.h"
#include "support/FakePlatform.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

namespace {

const QString kPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

RegistryValue text(const QByteArray& bytes)
{
    return RegistryValue{1, bytes};
}

RegistryValue number(const QByteArray& bytes)
{
    return RegistryValue{4, bytes};
}

// ------------------------------------------------------------------ GetKeyValue

struct ReadCase {
    const char* name;
    std::optional<RegistryValue> stored; // nothing: the value is missing
    QString held;                        // what the variable held before the call
    bool found;
    QString result;
};

class GetKeyValueTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(GetKeyValueTest, ReadsTheValueAsText)
{
    const ReadCase& c = GetParam();
    FakeRegistry registry;
    registry.keys[kPathKey][QStringLiteral("Other")] = text("x");
    if (c.stored)
        registry.keys[kPathKey][QStringLiteral("PATH")] = *c.stored;

    QString value = c.held;
    EXPECT_EQ(sysinfo::GetKeyValue(registry, Registry::LocalMachine, kPathKey,
                                   QStringLiteral("PATH"), value),
              c.found);
    EXPECT_EQ(value, c.result);
}

const QByteArray k1023(1023, 'a');

INSTANTIATE_TEST_SUITE_P(
    Values, GetKeyValueTest,
    ::testing::Values(
        ReadCase{"OnlyTheLastZeroGoes", text(QByteArray("ab\0\0", 4)), "", true,
                 QString::fromUtf8("ab\0", 3)},
        ReadCase{"BufferFullWithoutZero", text(k1023 + 'b'), "", true,
                 QString::fromLatin1(k1023 + 'b')},
        ReadCase{"Missing", std::nullopt, "old", false, ""},
        ReadCase{"OtherTypeKeepsTheText", RegistryValue{2, "/usr/bin/info"}, "old", true, "old"},
        // A number: its bytes from the last to the first, in hexadecimal without
        // leading zeros, after what the variable held, read back as a number.
        ReadCase{"NumberSixteenBitsSigned", number(QByteArray("\xFF\x80\0\0", 4)), "", true,
                 "-32513"},
        ReadCase{"NumberAboveSixteenBits", number(QByteArray("\0\0\x80\x7F", 4)), "", true,
                 "8355840"},
        ReadCase{"NumberBuiltOnTheHeldDigits", number(QByteArray("\x05\0\0\0", 4)), "9", true,
                 "-28667"}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------------ StartSysInfo

struct StartCase {
    const char* name;
    std::optional<RegistryValue> path;   // "PATH" of the first key
    std::optional<RegistryValue> folder; // "MSINFO" of the second key
    QStringList existingFiles;
    bool startSucceeds;
    QStringList started;
    bool message;
};

class StartSysInfoTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartSysInfoTest, StartsTheProgramOrSaysItIsUnavailable)
{
    const StartCase& c = GetParam();
    FakeRegistry registry;
    FakeLauncher launcher;
    FakeDialogs dialogs;
    if (c.path)
        registry.keys[kPathKey][QStringLiteral("PATH")] = *c.path;
    if (c.folder)
        registry.keys[kFolderKey][QStringLiteral("MSINFO")] = *c.folder;
    launcher.existingFiles = c.existingFiles;
    launcher.startSucceeds = c.startSucceeds;

    sysinfo::StartSysInfo(registry, launcher, dialogs);

    using Messages = QList<std::pair<QString, QString>>;
    const Messages message = {{QStringLiteral("System Information Is Unavailable At This Time"),
                               QStringLiteral("Zorvu Timer")}};
    EXPECT_EQ(launcher.started, c.started);
    EXPECT_EQ(dialogs.messages, c.message ? message : Messages{});
}

const QByteArray kProgram = "/opt/sys info/bin/sysinfo --all; rm -rf ~";
const QByteArray kFolder = "/opt/msinfo";
const QString kFolderProgram = QStringLiteral("/opt/msinfo/MSINFO32.EXE");

INSTANTIATE_TEST_SUITE_P(
    Cases, StartSysInfoTest,
    ::testing::Values(
        // The whole stored text is the program, spaces and all; the file is not checked.
        StartCase{"PathStarted", text(kProgram + '\0'), text(kFolder), {kFolderProgram}, true,
                  {QString::fromUtf8(kProgram)}, false},
        StartCase{"PathWithoutZeroStartedTheSame", text(kProgram), std::nullopt, {}, true,
                  {QString::fromUtf8(kProgram)}, false},
        // A PATH naming no program: the start fails and the folder is not tried.
        StartCase{"PathNamingAMissingFile", text("/nowhere/msinfo32\0"), text(kFolder),
                  {kFolderProgram}, false, {"/nowhere/msinfo32"}, true},
        StartCase{"FolderWithTheProgram", std::nullopt, text(kFolder + '\0'), {kFolderProgram},
                  true, {kFolderProgram}, false},
        StartCase{"FolderWithoutTheProgram", std::nullopt, text(kFolder), {"/opt/msinfo/other"},
                  true, {}, true},
        StartCase{"Neither", std::nullopt, std::nullopt, {}, true, {}, true},
        StartCase{"PathTooLongCountsAsAbsent", text(QByteArray(1025, 'p')), text(kFolder),
                  {kFolderProgram}, true, {kFolderProgram}, false},
        // A value of zero length ends the lookup at once.
        StartCase{"PathOfZeroLength", text(""), text(kFolder), {kFolderProgram}, true, {}, true},
        // A number too large for 32 bits is an error too.
        StartCase{"PathAsTooLargeNumber", number("\x11\x11\x11\x11\x11"), text(kFolder),
                  {kFolderProgram}, true, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
