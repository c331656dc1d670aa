#include "about/SysInfo.h"
#include "support/FakePlatform.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

namespace {

const QString kPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kMessage = QStringLiteral("System Information Is Unavailable At This Time");

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
        ReadCase{"StringWithZero", text(QByteArray("/usr/bin/info\0", 14)), "old", true,
                 "/usr/bin/info"},
        ReadCase{"StringWithoutZero", text("/usr/bin/info"), "old", true, "/usr/bin/info"},
        ReadCase{"OnlyTheLastZeroGoes", text(QByteArray("ab\0\0", 4)), "", true,
                 QString::fromUtf8("ab\0", 3)},
        ReadCase{"OneCharacter", text("x"), "", true, "x"},
        ReadCase{"BufferFullWithZero", text(k1023 + '\0'), "", true, QString::fromLatin1(k1023)},
        ReadCase{"BufferFullWithoutZero", text(k1023 + 'b'), "", true,
                 QString::fromLatin1(k1023 + 'b')},
        ReadCase{"LongerThanTheBuffer", text(k1023 + "bc"), "old", false, ""},
        ReadCase{"Missing", std::nullopt, "old", false, ""},
        ReadCase{"OtherTypeKeepsTheText", RegistryValue{2, "/usr/bin/info"}, "old", true, "old"},
        ReadCase{"BinaryTypeKeepsTheText", RegistryValue{3, "\x01\x02"}, "", true, ""},
        // A number: its bytes from the last to the first, in hexadecimal without
        // leading zeros, read back as a number. The last byte goes when it is 0.
        ReadCase{"NumberOne", number(QByteArray("\x01\0\0\0", 4)), "", true, "1"},
        ReadCase{"NumberNoZeroes", number("\x04\x03\x02\x01"), "", true, "4660"},
        ReadCase{"NumberWithoutLastZero", number("\x12\x34\x56\x78"), "", true, "2018915346"},
        ReadCase{"NumberAllOnes", number("\xFF\xFF\xFF\xFF"), "", true, "-1"},
        ReadCase{"NumberSixteenBitsSigned", number(QByteArray("\xFF\x80\0\0", 4)), "", true,
                 "-32513"},
        ReadCase{"NumberAboveSixteenBits", number(QByteArray("\0\0\x80\x7F", 4)), "", true,
                 "8355840"},
        ReadCase{"NumberBuiltOnTheHeldDigits", number(QByteArray("\x05\0\0\0", 4)), "9", true,
                 "-28667"},
        ReadCase{"NumberBuiltOnHeldTextStaysText", number(QByteArray("\x05\0\0\0", 4)), "C:",
                 true, "&hC:005"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetKeyValue, MissingKeyEmptiesTheVariable)
{
    FakeRegistry registry;
    registry.keys[kFolderKey][QStringLiteral("PATH")] = text("/usr/bin/info");
    QString value = QStringLiteral("old");
    EXPECT_FALSE(sysinfo::GetKeyValue(registry, Registry::LocalMachine, kPathKey,
                                      QStringLiteral("PATH"), value));
    EXPECT_EQ(value, QString());
    // Another root has none of the keys.
    value = QStringLiteral("old");
    EXPECT_FALSE(sysinfo::GetKeyValue(registry, 0x80000001, kFolderKey, QStringLiteral("PATH"),
                                      value));
    EXPECT_EQ(value, QString());
}

TEST(GetKeyValue, ValueOfZeroLengthIsAnError)
{
    FakeRegistry registry;
    registry.keys[kPathKey][QStringLiteral("PATH")] = text("");
    QString value;
    EXPECT_THROW(sysinfo::GetKeyValue(registry, Registry::LocalMachine, kPathKey,
                                      QStringLiteral("PATH"), value),
                 sysinfo::RunTimeError);
}

TEST(GetKeyValue, NumberTooLargeIsAnError)
{
    FakeRegistry registry;
    registry.keys[kPathKey][QStringLiteral("PATH")] = number("\x11\x11\x11\x11\x11");
    QString value;
    EXPECT_THROW(sysinfo::GetKeyValue(registry, Registry::LocalMachine, kPathKey,
                                      QStringLiteral("PATH"), value),
                 sysinfo::RunTimeError);
}

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

    EXPECT_EQ(launcher.started, c.started);
    if (c.message) {
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].first, kMessage);
        EXPECT_EQ(dialogs.messages[0].second, QStringLiteral("Zorvu Timer"));
    } else {
        EXPECT_TRUE(dialogs.messages.isEmpty());
    }
    EXPECT_TRUE(dialogs.inputs.isEmpty());
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
        StartCase{"FolderWithoutZeroWithTheProgram", std::nullopt, text(kFolder),
                  {kFolderProgram}, true, {kFolderProgram}, false},
        StartCase{"FolderWithoutTheProgram", std::nullopt, text(kFolder), {"/opt/msinfo/other"},
                  true, {}, true},
        StartCase{"FolderProgramFailsToStart", std::nullopt, text(kFolder), {kFolderProgram},
                  false, {kFolderProgram}, true},
        StartCase{"Neither", std::nullopt, std::nullopt, {}, true, {}, true},
        StartCase{"PathTooLongCountsAsAbsent", text(QByteArray(1025, 'p')), text(kFolder),
                  {kFolderProgram}, true, {kFolderProgram}, false},
        StartCase{"PathFillingTheBufferIsRead", text(QByteArray(1024, 'p')), text(kFolder),
                  {kFolderProgram}, true, {QString(1024, QLatin1Char('p'))}, false},
        StartCase{"FolderTooLongCountsAsAbsent", std::nullopt, text(QByteArray(1025, 'f')),
                  {QString(1025, QLatin1Char('f')) + "/MSINFO32.EXE"}, true, {}, true},
        // A value of zero length ends the lookup at once.
        StartCase{"PathOfZeroLength", text(""), text(kFolder), {kFolderProgram}, true, {}, true},
        StartCase{"FolderOfZeroLength", std::nullopt, text(""), {"/MSINFO32.EXE"}, true, {},
                  true},
        // A number names no program: the start is tried with its text and fails.
        StartCase{"PathAsNumber", number(QByteArray("\x01\0\0\0", 4)), text(kFolder),
                  {kFolderProgram}, false, {"1"}, true},
        StartCase{"PathAsTooLargeNumber", number("\x11\x11\x11\x11\x11"), text(kFolder),
                  {kFolderProgram}, true, {}, true},
        // A value of another type leaves the path empty, which cannot be started.
        StartCase{"PathOfOtherType", RegistryValue{2, "/usr/bin/info"}, text(kFolder),
                  {kFolderProgram}, false, {""}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartSysInfo, AsksTheFirstKeyAndNotTheSameValueOfTheSecond)
{
    // Each value is read from its own key only.
    FakeRegistry registry;
    FakeLauncher launcher;
    FakeDialogs dialogs;
    registry.keys[kFolderKey][QStringLiteral("PATH")] = text("/wrong/key");
    registry.keys[kPathKey][QStringLiteral("MSINFO")] = text("/wrong/value");
    launcher.existingFiles = {QStringLiteral("/wrong/value/MSINFO32.EXE")};
    sysinfo::StartSysInfo(registry, launcher, dialogs);
    EXPECT_TRUE(launcher.started.isEmpty());
    EXPECT_EQ(dialogs.messages.size(), 1);
}

} // namespace
