#include "app/SaveSettings.h"

#include "platform/Dialogs.h"
#include "platform/ProgramInfo.h"
#include "settings/Ini.h"

#include <QDir>

bool saveSettings(const QString& file, const QList<std::pair<setting::Field, QString>>& values,
                  Dialogs& dialogs, QWidget* parent, const QString& what, const QString& more)
{
    QList<std::pair<QString, QString>> lines;
    for (const auto& [field, text] : values)
        lines.append({QLatin1String(setting::of(field).name), text});
    QString why;
    if (WriteIni(setting::section, lines, file, &why))
        return true;
    dialogs.messageBox(parent,
                       QStringLiteral("The %1 could not be saved to %2:\n%3")
                               .arg(what, QDir::toNativeSeparators(file), why) +
                           more,
                       program::title);
    return false;
}
