#pragma once

#include <QString>

namespace program {

// The title the program is built under.
inline const QString title = QStringLiteral("Zorvu Timer");

// The one name the desktop knows the program by: the .desktop file, the icon, the
// AppStream metainfo and the D-Bus service are all called this.
inline const QString appId = QStringLiteral("org.zorvu.Timer");

// The folder that holds the program, without a trailing separator.
QString folder();

// Where the settings file and the sounds are.
struct Files {
    QString settings; // the settings file in use
    QString data;     // the folder that holds sounds/, without a trailing separator
};

// Decides, once at start, where the settings file and the sounds of the program in
// `folder` are. A program folder that holds times.ini and can be written to is a
// portable folder: the settings stay in it. Otherwise (an installed program) they
// are in the user's $XDG_CONFIG_HOME/zorvu-timer/, which a first start fills with a
// copy of the folder's own times.ini, or else of the installed one. The sounds are the program folder's sounds/ when it has
// one, otherwise the installed share/zorvu-timer/sounds/ beside its bin/.
Files locate(const QString& folder);

// A portable folder's files, where nothing is decided (tests, tools).
Files inFolder(const QString& folder);

} // namespace program
