#include "platform/ProgramInfo.h"

#include <QCoreApplication>
#include <QDir>

namespace program {
namespace {
QString& overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString folder()
{
    QString dir = overrideFolder().isEmpty() ? QCoreApplication::applicationDirPath()
                                             : overrideFolder();
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

void setFolderForTesting(const QString& folder)
{
    overrideFolder() = folder;
}

QString iniPath()
{
    return folder() + QStringLiteral("/times.ini");
}

} // namespace program
