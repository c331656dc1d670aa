#pragma once

#include <QList>
#include <QString>

#include <utility>

class Dialogs;
class QWidget;

// Writes the values into the settings section of the settings file in use, in one
// replace. When that fails, a message box names the file and the reason ("The
// <what> could not be saved to <file>: <reason>", then more) and it returns false.
bool saveSettings(const QList<std::pair<QString, QString>>& values, Dialogs& dialogs,
                  QWidget* parent, const QString& what, const QString& more = {});
