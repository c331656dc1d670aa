#pragma once

#include <QString>

namespace program {

// The title the program is built under.
inline const QString title = QStringLiteral("Zorvu Timer");

// The folder that holds the program, without a trailing separator. Everything
// the program reads or writes lives beside it.
QString folder();

// Lets tests point the program at a folder of their own.
void setFolderForTesting(const QString& folder);

// The settings file beside the program.
QString iniPath();

} // namespace program
