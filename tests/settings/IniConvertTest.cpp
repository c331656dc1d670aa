#include "settings/Convert.h"
#include "settings/Ini.h"
#include "support/Printers.h"
#include "support/ProgramFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList files(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

// Every file is read as [s] K: names match in either letter case. A snapshot gives
// the same after reads that took it past the section, to the end, or into it.
TEST(Ini, ReadsFilesAsTheWin32ProfileFunctionsDo)
{
    // The UTF-8 mark, UTF-8 itself, UTF-16 BE and lone CRs are read back in the writes below.
    const struct { QByteArray file; QString want; } cases[] = {
        {"[S]\r\n  k =  15 \t\r\nK=14", "15"}, {"; [s]\nk=1\n[s]\nk=2", "2"},
        {"[s]\nj=1\n[S]\nk=2", ""}, {"[t]\nk=1", ""}, {"[s]\nk= \" abc \" ", " abc "},
        {"[s]\nk=''", ""}, {"[s]\nk=\"", "\""}, {"[s]\nk=\"abc", "\"abc"},
        {"[s]\nk='abc\"", "'abc\""}, {"[s]\r\n[B\r\nk=1", "1"}, {"[s]\n[B]\nk=1", ""},
        {QByteArray("\xFF\xFE[\0s\0]\0\r\0k\0=\0\xE9\0\x03\x20\n\0", 20), "\u00E9\u2003"},
        {"[s]\nk=Caf\xE9\x92s \x80\x81.wav", "Caf\u00E9\u2019s \u20AC\u0081.wav"},
        {QByteArray("[s]\nk=12 \0xyz", 13), "12"}, {"[s]\nk=\xEF\xBB\xBF", QString(QChar(0xFEFF))},
        {"[s]\nk=" + QByteArray(800, 'x'), QString(749, 'x')},
        {"[s]\nk=\"" + QByteArray(800, 'x') + '"', QString(749, 'x')},
    };
    const TempProgramFolder dir;
    for (const auto& c : cases) {
        ASSERT_TRUE(dir.writeIni(c.file));
        EXPECT_EQ(ReadIni("s", "K", dir.iniPath()), c.want) << c.file.toStdString();
        for (const char* first : {"s", "zzz", "b"}) {
            const IniSnapshot ini(dir.iniPath());
            ini.value(first, "j");
            EXPECT_EQ(ini.value("s", "K"), c.want) << c.file.toStdString() << " after " << first;
        }
    }
}

// A write changes one line, in the file's own encoding, keeps every other byte and
// removes a killed save's leftover, never the user's backup.
TEST(Ini, WriteChangesOneLineAndKeepsTheRestByteForByte)
{
    const QByteArray crlf = "; top\r\n\r\n[Settings]\r\nTime = 15\r\n\r\n[0]\r\nj=1";
    const struct { QByteArray before; const char* section; const char* key; QString value;
                   QByteArray after; } cases[] = {
        {"<none>", "settings", "time", "v", "[settings]\nTIME=v\n"},
        {crlf, "settings", "time", "v", "; top\r\n\r\n[Settings]\r\nTime=v\r\n\r\n[0]\r\nj=1"},
        {crlf, "settings", "boxtype", "v",
         "; top\r\n\r\n[Settings]\r\nTime = 15\r\nBOXTYPE=v\r\n\r\n[0]\r\nj=1"},
        {"[0]\nsniper=120", "0", "sniper", "v", "[0]\nsniper=v"},
        {"[0]\nsniper=120", "0", "camo", "v", "[0]\nsniper=120\nCAMO=v\n"},
        {"[0]\nsniper=120", "settings", "time", "v", "[0]\nsniper=120\n[settings]\nTIME=v\n"},
        {"[a]\nk=1\nK=2\n[A]\nk=3\n", "A", "k", "v", "[a]\nk=v\nK=2\n[A]\nk=3\n"},
        {"\xEF\xBB\xBF[s]\nk=1\n", "s", "k", "2", "\xEF\xBB\xBF[s]\nk=2\n"},
        {QByteArray("\xFF\xFE[\0s\0]\0\r\0", 10), "s", "k", "\u00E9",
         QByteArray("\xFF\xFE[\0s\0]\0\r\0K\0=\0\xE9\0\r\0", 18)},
        {QByteArray("\xFE\xFF\0[\0s\0]", 8), "s", "k", "1",
         QByteArray("\xFE\xFF\0[\0s\0]\0\n\0K\0=\0\x31\0\n", 18)},
        {"[s]\nk=\xE9\x92s\n", "s", "k", "\u00E9\u2019s", "[s]\nk=\xE9\x92s\n"},
        {"[s]\nk=\xE9\n", "s", "k", "\u00C3\u00A9", "[s]\nk=\xC3\x83\xC2\xA9\n"},
        {"[s]\nk=1\n", "s", "k", "Caf\u00E9", "[s]\nk=Caf\xC3\xA9\n"},
        {"[s]\rk=1\r[t]\r", "s", "k", "2", "[s]\rk=2\r[t]\r"},
    };
    for (const auto& c : cases) {
        const TempProgramFolder dir;
        ASSERT_TRUE(c.before == "<none>" || dir.writeIni(c.before));
        // A killed save's leftover, and the user's own backup.
        ASSERT_TRUE(QFile(dir.iniPath() + ".saving-Ab12cd").open(QIODevice::WriteOnly));
        ASSERT_TRUE(QFile(dir.iniPath() + ".backup").open(QIODevice::WriteOnly));
        QString why;
        EXPECT_TRUE(WriteIni(c.section, c.key, c.value, dir.iniPath(), &why)) << why.toStdString();
        EXPECT_EQ(dir.ini(), c.after) << c.before.toStdString();
        EXPECT_EQ(ReadIni(c.section, c.key, dir.iniPath()), c.value);
        EXPECT_EQ(files(dir), QStringList({".times.ini.lock", "times.ini", "times.ini.backup"}));
    }
}

TEST(Ini, FailedWriteSaysWhyAndLeavesTheOldFileWhole)
{
    const TempProgramFolder dir;
    const QString file = dir.iniPath();
    const QByteArray old = "[settings]\ntime=15\n";
    ASSERT_TRUE(dir.writeIni(old));
    auto refused = [](const QString& name, const QString& value) {
        QString error;
        return !WriteIni("settings", "time", value, name, &error) && !error.isEmpty();
    };
    for (const QString& value : QStringList{"1\n[x]", "1\r2", QString::fromLatin1("1\0" "2", 3)})
        EXPECT_TRUE(refused(file, value)) << value.toStdString();
    EXPECT_TRUE(refused(dir.filePath("no/such/folder/times.ini"), "1"));
    EXPECT_TRUE(refused(dir.path(), "1"));

    // A file size limit stops root too: the new contents are cut short, as in a save
    // that is killed, and the old file must stay whole.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit tiny{1024, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &tiny);
    const bool tooBig = refused(file, QString(4000, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(tooBig);

    EXPECT_EQ(dir.ini(), old);
    EXPECT_EQ(files(dir), QStringList({".times.ini.lock", "times.ini"}));
}

// A save writes the real file behind every link, a folder's too, and keeps the
// links, the mode and the owner. It refuses a link that leads to no file and a
// read-only file, and writes nothing then. real/times.ini is the real file.
TEST(Ini, SaveWritesTheRealFileAndKeepsLinksModeAndOwner)
{
    const struct { const char* save; std::vector<std::pair<const char*, const char*>> links;
                   mode_t mode; bool saved; uid_t owner = geteuid(); } rows[] = {
        {"real/times.ini", {}, 0600, true},
        {"times.ini", {{"times.ini", "@"}}, 0640, true}, // @: the real file's full path
        {"times.ini", {{"middle.ini", "@"}, {"times.ini", "middle.ini"}}, 0600, true},
        {"a/times.ini", {{"real/a/times.ini", "../times.ini"}, {"a", "real/a"}}, 0664, true},
        {"times.ini", {{"times.ini", "real/none.ini"}}, 0600, false},
        {"real/times.ini", {}, 0444, false},
        {"real/times.ini", {}, 0640, true, 65534},
    };
    for (const auto& row : rows) {
        if (row.owner != geteuid() && geteuid() != 0)
            continue; // only root may give a file away
        const QTemporaryDir dir;
        const QByteArray real = QFile::encodeName(dir.filePath("real/times.ini"));
        const gid_t group = row.owner == geteuid() ? getegid() : gid_t(row.owner);
        QDir(dir.path()).mkpath("real/a");
        std::ofstream(real.constData()) << "[s]\nk=1\n";
        ASSERT_EQ(chmod(real, row.mode) | chown(real, row.owner, group), 0);
        for (const auto& [name, to] : row.links)
            ASSERT_EQ(symlink(*to == '@' ? real.data() : to, qPrintable(dir.filePath(name))), 0);
        SCOPED_TRACE(QString::asprintf("%s %o", row.save, row.mode).toStdString());
        QString why;
        EXPECT_EQ(WriteIni("s", "k", "2", dir.filePath(row.save), &why), row.saved);
        EXPECT_EQ(why.isEmpty(), row.saved);
        EXPECT_EQ(ReadIni("s", "k", real), row.saved ? "2" : "1");
        struct stat st {};
        EXPECT_EQ(stat(real, &st), 0);
        EXPECT_EQ(std::tuple(st.st_mode & 07777, st.st_uid, st.st_gid),
                  std::tuple(row.mode, row.owner, group));
        // Every link is still one: the real file is the only plain file, and no
        // temporary file is left.
        QStringList plain;
        for (QDirIterator it(dir.path(), QDir::Files | QDir::Hidden | QDir::System,
                             QDirIterator::Subdirectories); it.hasNext();)
            if (const QFileInfo f = it.nextFileInfo(); !f.isSymLink() && f.suffix() != "lock")
                plain << f.filePath();
        EXPECT_EQ(plain, QStringList{real});
    }
}

// Two programs saving one file at once take turns: every save succeeds, each
// keeps the other's key, and no temporary file is left.
TEST(Ini, TwoProgramsSavingAtOnceKeepEachOthersKeys)
{
    // In memory where it can be: 1000 saves that each wait for the disk take long.
    const QTemporaryDir dir(QDir("/dev/shm").exists() ? "/dev/shm/zorvu-XXXXXX" : QDir::tempPath());
    const QString file = dir.filePath("times.ini");
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    pid_t children[2];
    for (int c = 0; c < 2; ++c)
        if ((children[c] = fork()) == 0) {
            alarm(30); // a save that hangs ends the child, and fails the test
            char none = close(go[1]);
            (void)!read(go[0], &none, 1); // both start together, when the pipe closes
            int i = 1;
            while (i <= 500 && WriteIni("s", QString::number(c), QString::number(i), file))
                ++i;
            _exit(i != 501);
        }
    for (const int end : go)
        close(end);
    for (int status = -1; const pid_t child : children)
        EXPECT_TRUE(waitpid(child, &status, 0) == child && status == 0) << "a save failed, or hung";
    EXPECT_EQ(ReadIni("s", "0", file) + ' ' + ReadIni("s", "1", file), "500 500");
    EXPECT_EQ(files(dir), QStringList({".times.ini.lock", "times.ini"}));
}

// Text as a number, a whole number and a truth value.
TEST(Convert, NumbersAndTruth)
{
    const struct { const char* text; std::optional<double> number; std::optional<qint16> whole;
                   std::optional<bool> truth; } cases[] = {
        {"2.5", 2.5, 2, true}, {"3.5", 3.5, 4, true}, {"-2.5", -2.5, -2, true},
        {"2.51", 2.51, 3, true}, {" \t15 ", 15, 15, true}, {"1e3", 1000, 1000, true},
        {".5", 0.5, 0, true}, {"+7.", 7, 7, true}, {"32767", 32767, 32767, true},
        {"32767.5", 32767.5, {}, true}, {"-32768", -32768, -32768, true},
        {"-32768.5", -32768.5, -32768, true}, {"-32769", -32769, {}, true}, {"0", 0, 0, false},
        {"0.0", 0, 0, false}, {"abc", {}, {}, {}}, {"", {}, {}, {}}, {" ", {}, {}, {}},
        {"1,5", {}, {}, {}}, {"0x10", {}, {}, {}}, {"1e", {}, {}, {}}, {"5\n", {}, {}, {}},
        {"1e999", {}, {}, {}}, {"True", {}, {}, true}, {"FALSE", {}, {}, false},
        {"tRuE", {}, {}, true}, {" true ", {}, {}, true}, {"truefalse", {}, {}, {}},
        {"-.5", -0.5, 0, true}, {"1.5E+2", 150, 150, true}, {"12345678901234567", 12345678901234568.0, {}, true},
        {"+-5", {}, {}, {}}, {"5 5", {}, {}, {}}, {"\u0663", {}, {}, {}}, {"1e+", {}, {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(convert::toNumber(c.text), c.number) << '"' << c.text << '"';
        EXPECT_EQ(convert::toWholeNumber(c.text), c.whole) << '"' << c.text << '"';
        EXPECT_EQ(convert::toTruth(c.text), c.truth) << '"' << c.text << '"';
    }
}
