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

// Only the first key's PATH is answered: with the first executable program found,
// or not at all when there is none.
TEST(SystemRegistry, AnswersPathWithTheFirstProgramFoundAndNothingElse)
{
    Programs programs;
    programs.add(QStringLiteral("hardinfo2"), false); // not executable: passed over
    const QString hardinfo = programs.add(QStringLiteral("hardinfo"));
    programs.add(QStringLiteral("kinfocenter"));
    const SystemRegistry registry(kCandidates, {programs.folder()});
    QString path;
    EXPECT_TRUE(sysinfo::GetKeyValue(registry, Registry::LocalMachine,
                                     QStringLiteral("software\\microsoft\\shared tools\\msinfo"),
                                     QStringLiteral("Path"), path));
    EXPECT_EQ(path, hardinfo);
    EXPECT_FALSE(registry.value(Registry::LocalMachine, kFolderKey, QStringLiteral("MSINFO")));
    EXPECT_FALSE(registry.value(Registry::LocalMachine, kPathKey, QStringLiteral("MSINFO")));
    EXPECT_FALSE(registry.value(0x80000001, kPathKey, QStringLiteral("PATH")));

    Programs others;
    others.add(QStringLiteral("gnome-system-monitor"));
    const SystemRegistry without(kCandidates, {others.folder()});
    EXPECT_FALSE(without.keyExists(Registry::LocalMachine, kPathKey));
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
}

TEST(SystemLauncher, NeverHandsTheValueToAShell)
{
    Programs programs;
    const QString marker = programs.folder() + QStringLiteral("/ran");
    SystemLauncher launcher;
    // Read by a shell this would run both commands; as a program path it names no file.
    EXPECT_FALSE(launcher.start(QStringLiteral("/bin/true; touch ") + marker));
    EXPECT_FALSE(launcher.start(QStringLiteral("touch ") + marker));
    EXPECT_FALSE(QFile::exists(marker));
}

} // namespace
