// Where the settings and sounds are found, for a user who may or may not write to the
// program folder. Root may write anywhere, so locate() runs in a child process that
// is an ordinary user.

#include "platform/ProgramInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

void write(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// locate(bin) as uid 65534 when this is root; its answer, one line each.
QByteArray locateAsUser(const QString& bin)
{
    int out[2];
    if (pipe(out) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        const program::Files files = program::locate(bin);
        const QByteArray answer = (files.settings + QLatin1Char('\n') + files.data +
                                   QLatin1Char('\n')).toUtf8() + read(files.settings);
        _exit(::write(out[1], answer.data(), answer.size()) == answer.size() ? 0 : 3);
    }
    close(out[1]);
    QByteArray answer;
    char block[4096];
    for (ssize_t n; (n = ::read(out[0], block, sizeof block)) > 0;)
        answer.append(block, n);
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    return answer;
}

TEST(ProgramFolder, SettingsAreFoundForEveryFolder)
{
    const struct {
        const char* what;
        bool ownIni, writable;
        const char* settings; // under the test's folder
        const char* text;     // the settings file's text after locate()
    } cases[] = {
        {"portable folder", true, true, "prefix/bin/times.ini", "own"},
        {"read-only portable folder", true, false, "config/zorvu-timer/times.ini", "own"},
        {"installed program", false, false, "config/zorvu-timer/times.ini", "shared"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir top;
        const QString base = top.path() + QLatin1Char('/');
        const QString bin = base + QStringLiteral("prefix/bin");
        write(base + QStringLiteral("prefix/share/zorvu-timer/times.ini"), "shared");
        QDir().mkpath(bin + QStringLiteral("/sounds"));
        QDir().mkpath(base + QStringLiteral("config"));
        if (c.ownIni)
            write(bin + QStringLiteral("/times.ini"), "own");
        const auto all = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                         QFile::ReadOther | QFile::ExeOther;
        const auto writable = all | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        QFile::setPermissions(top.path(), all);
        QFile::setPermissions(bin, c.writable ? writable : all);
        QFile::setPermissions(base + QStringLiteral("config"), writable);
        qputenv("XDG_CONFIG_HOME", (base + QStringLiteral("config")).toUtf8());

        EXPECT_EQ(locateAsUser(bin),
                  (base + QLatin1String(c.settings) + QLatin1Char('\n') + bin).toUtf8() +
                      '\n' + c.text);
    }
}

} // namespace
