#include "platform/ProgramInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace program {

QString folder()
{
    QString dir = QCoreApplication::applicationDirPath();
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

Files inFolder(const QString& folder)
{
    return {folder + QStringLiteral("/times.ini"), folder};
}

Files locate(const QString& own)
{
    const QString installed = QDir::cleanPath(own + QStringLiteral("/../share/zorvu-timer"));
    Files files = inFolder(own);
    if (!QFileInfo(own + QStringLiteral("/sounds")).isDir())
        files.data = installed;
    const QString ownSettings = files.settings;
    if (QFileInfo::exists(ownSettings) && QFileInfo(own).isWritable())
        return files;
    const QString config =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/zorvu-timer");
    files.settings = config + QStringLiteral("/times.ini");
    // A folder the user cannot write to (unpacked by root, a read-only medium) still
    // ships its own times.ini: that is the one to start from. A failure leaves no
    // file: the program then runs on its first-start values, and the Options dialog
    // says where it could not save.
    const QString first = QFileInfo::exists(ownSettings) ? ownSettings
                                                         : installed + QStringLiteral("/times.ini");
    if (!QFileInfo::exists(files.settings) && QDir().mkpath(config) &&
        QFile::copy(first, files.settings))
        QFile(files.settings).setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                                             QFile::ReadGroup | QFile::ReadOther);
    return files;
}

} // namespace program
