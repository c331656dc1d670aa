#include "about/SysInfo.h"
#include "platform/SystemLauncher.h"
#include "platform/SystemRegistry.h"
#include "support/Printers.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A stand-in program in folder: an executable file, or a plain one.
QString add(const QTemporaryDir& folder, const QString& name, bool executable = true)
{
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.setPermissions(QFile::Permissions(QFile::ReadOwner | QFile::WriteOwner)
                            .setFlag(QFile::ExeOwner, executable));
    return file.fileName();
}

// Only the first key's PATH is answered: with the first executable program found,
// or not at all when there is none.
TEST(SystemRegistry, AnswersPathWithTheFirstProgramFoundAndNothingElse)
{
    const QStringList candidates = {"hardinfo2", "hardinfo", "kinfocenter"};
    QTemporaryDir programs, others;
    add(programs, "hardinfo2", false); // not executable: passed over
    const QString hardinfo = add(programs, "hardinfo");
    add(programs, "kinfocenter");
    const SystemRegistry registry(candidates, {programs.path()});
    QString path;
    EXPECT_TRUE(sysinfo::GetKeyValue(registry, Registry::LocalMachine,
                                     "software\\microsoft\\shared tools\\msinfo", "Path", path));
    EXPECT_EQ(path, hardinfo);
    EXPECT_FALSE(registry.value(Registry::LocalMachine, sysinfo::locationKey, "MSINFO"));
    EXPECT_FALSE(registry.value(Registry::LocalMachine, sysinfo::msinfoKey, "MSINFO"));
    EXPECT_FALSE(registry.value(0x80000001, sysinfo::msinfoKey, "PATH"));
    EXPECT_FALSE(SystemRegistry(candidates, {others.path()}).value(Registry::LocalMachine, sysinfo::msinfoKey, "PATH"));
}

// Plain, visible files only; and the value is never handed to a shell, which
// would run both commands: as a program path it names no file.
TEST(SystemLauncher, StartsPlainVisibleFilesWithoutAShell)
{
    QTemporaryDir folder;
    SystemLauncher launcher;
    EXPECT_TRUE(launcher.fileExists(add(folder, "MSINFO32.EXE", false)));
    EXPECT_FALSE(launcher.fileExists(add(folder, ".MSINFO32.EXE")));
    EXPECT_FALSE(launcher.fileExists(folder.path()));
    const QString marker = folder.filePath("ran");
    EXPECT_FALSE(launcher.start("/bin/true; touch " + marker));
    EXPECT_FALSE(launcher.start("touch " + marker));
    EXPECT_FALSE(QFile::exists(marker));
}

} // namespace
