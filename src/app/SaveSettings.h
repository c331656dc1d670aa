#pragma once

#include "settings/Settings.h"

#include <QList>
#include <QString>

#include <utility>

class Dialogs;
class QWidget;

// Writes the values, in their stored form, into the settings section of the file,
// in one replace. When that fails, a message box names the file and the reason
// ("The <what> could not be saved to <file>: <reason>", then more) and it returns false.
bool saveSettings(const QString& file, const QList<std::pair<setting::Field, QString>>& values,
                  Dialogs& dialogs, QWidget* parent, const QString& what, const QString& more = {});
