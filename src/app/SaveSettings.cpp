#include "app/SaveSettings.h"

#include "platform/Dialogs.h"
#include "platform/ProgramInfo.h"
#include "settings/Ini.h"
#include "settings/Keys.h"

#include <QDir>

bool saveSettings(const QList<std::pair<QString, QString>>& values, Dialogs& dialogs,
                  QWidget* parent, const QString& what, const QString& more)
{
    const QString file = program::iniPath();
    QString why;
    if (WriteIni(keys::settingsSection, values, file, &why))
        return true;
    dialogs.messageBox(parent,
                       QStringLiteral("The %1 could not be saved to %2:\n%3")
                               .arg(what, QDir::toNativeSeparators(file), why) +
                           more,
                       program::title);
    return false;
}
