#include "platform/ProgramInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace program {
namespace {
struct Folders {
    QString program;  // set by tests; else the executable's folder
    QString settings; // empty: the program folder
    QString data;     // empty: the program folder
};

Folders& folders()
{
    static Folders f;
    return f;
}
} // namespace

QString folder()
{
    QString dir = folders().program.isEmpty() ? QCoreApplication::applicationDirPath()
                                              : folders().program;
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

void locateSettingsAndSounds()
{
    const QString own = folder();
    const QString installed = QDir::cleanPath(own + QStringLiteral("/../share/zorvu-timer"));
    folders().data = QFileInfo(own + QStringLiteral("/sounds")).isDir() ? QString() : installed;

    if (QFileInfo::exists(own + QStringLiteral("/times.ini")) && QFileInfo(own).isWritable()) {
        folders().settings.clear();
        return;
    }
    const QString config =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/zorvu-timer");
    folders().settings = config;
    const QString ini = config + QStringLiteral("/times.ini");
    // A failure leaves no file: the program then runs on its first-start values, and
    // the Options dialog says where it could not save.
    if (!QFileInfo::exists(ini) && QDir().mkpath(config) &&
        QFile::copy(installed + QStringLiteral("/times.ini"), ini))
        QFile(ini).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                  QFile::ReadOther);
}

void setFolderForTesting(const QString& folder)
{
    folders() = Folders{folder, {}, {}};
}

QString iniPath()
{
    const QString settings = folders().settings.isEmpty() ? folder() : folders().settings;
    return settings + QStringLiteral("/times.ini");
}

QString dataFolder()
{
    return folders().data.isEmpty() ? folder() : folders().data;
}

} // namespace program
