#include "about/SysInfo.h"
#include "platform/SystemLauncher.h"
#include "platform/SystemRegistry.h"
#include "support/Printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

// A folder of stand-in programs: files that are executable or not.
class Programs {
public:
    QString add(const QString& name, bool executable = true)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                       : QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

const QStringList kCandidates = {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"),
                                 QStringLiteral("kinfocenter")};

TEST(SystemRegistry, TheSystemInformationProgramsLookedFor)
{
    EXPECT_EQ(SystemRegistry::systemInformationPrograms,
              (QStringList{"hardinfo2", "hardinfo", "kinfocenter", "cpu-x", "lshw-gtk"}));
}

TEST(SystemRegistry, AnswersPathWithTheFirstProgramFound)
{
    Programs programs;
    programs.add(QStringLiteral("hardinfo2"), false); // not executable: passed over
    const QString hardinfo = programs.add(QStringLiteral("hardinfo"));
    programs.add(QStringLiteral("kinfocenter"));
    const SystemRegistry registry(kCandidates, {programs.folder()});

    EXPECT_TRUE(registry.keyExists(Registry::LocalMachine, kPathKey));
    EXPECT_TRUE(registry.keyExists(Registry::LocalMachine,
                                   QStringLiteral("software\\microsoft\\shared tools\\msinfo")));
    const auto value = registry.value(Registry::LocalMachine, kPathKey, QStringLiteral("Path"));
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, 1u);
    EXPECT_EQ(value->data, hardinfo.toUtf8() + '\0');

    QString path;
    EXPECT_TRUE(sysinfo::GetKeyValue(registry, Registry::LocalMachine, kPathKey,
                                     QStringLiteral("PATH"), path));
    EXPECT_EQ(path, hardinfo);
}

TEST(SystemRegistry, AnswersNothingElse)
{
    Programs programs;
    programs.add(QStringLiteral("kinfocenter"));
    const SystemRegistry registry(kCandidates, {programs.folder()});

    EXPECT_FALSE(registry.keyExists(Registry::LocalMachine, kFolderKey));
    EXPECT_FALSE(registry.value(Registry::LocalMachine, kFolderKey, QStringLiteral("MSINFO")));
    EXPECT_FALSE(registry.value(Registry::LocalMachine, kPathKey, QStringLiteral("MSINFO")));
    EXPECT_FALSE(registry.keyExists(0x80000001, kPathKey));
    EXPECT_FALSE(registry.value(0x80000001, kPathKey, QStringLiteral("PATH")));
}

TEST(SystemRegistry, WithoutAProgramThereIsNoKey)
{
    Programs programs;
    programs.add(QStringLiteral("gnome-system-monitor"));
    const SystemRegistry registry(kCandidates, {programs.folder()});
    EXPECT_FALSE(registry.keyExists(Registry::LocalMachine, kPathKey));
    EXPECT_FALSE(registry.value(Registry::LocalMachine, kPathKey, QStringLiteral("PATH")));
    QString path = QStringLiteral("old");
    EXPECT_FALSE(sysinfo::GetKeyValue(registry, Registry::LocalMachine, kPathKey,
                                      QStringLiteral("PATH"), path));
    EXPECT_EQ(path, QString());
}

TEST(SystemLauncher, FileExistsForPlainVisibleFilesOnly)
{
    Programs programs;
    const QString plain = programs.add(QStringLiteral("MSINFO32.EXE"), false);
    const QString hidden = programs.add(QStringLiteral(".MSINFO32.EXE"));
    SystemLauncher launcher;
    EXPECT_TRUE(launcher.fileExists(plain));
    EXPECT_FALSE(launcher.fileExists(hidden));
    EXPECT_FALSE(launcher.fileExists(programs.folder()));
    EXPECT_FALSE(launcher.fileExists(programs.folder() + QStringLiteral("/missing")));
}

TEST(SystemLauncher, NeverHandsTheValueToAShell)
{
    Programs programs;
    const QString marker = programs.folder() + QStringLiteral("/ran");
    SystemLauncher launcher;
    // Read by a shell this would run both commands; as a program path it names no file.
    EXPECT_FALSE(launcher.start(QStringLiteral("/bin/true; touch ") + marker));
    EXPECT_FALSE(launcher.start(QStringLiteral("touch ") + marker));
    EXPECT_FALSE(launcher.start(programs.folder() + QStringLiteral("/missing")));
    EXPECT_FALSE(launcher.start(QString()));
    EXPECT_FALSE(QFile::exists(marker));
}

} // namespace
