#include "platform/SystemLauncher.h"

#include <QFileInfo>
#include <QProcess>

bool SystemLauncher::fileExists(const QString& path) const
{
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

bool SystemLauncher::start(const QString& path)
{
    return QProcess::startDetached(path, {});
}
