#pragma once

#include "platform/ProgramInfo.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

// Settings for a match that sounds within a few ticks: map 0 has short periods and
// no camouflage, map 1 none of the items, map 2 long ones. Each item's notify key
// has a value of its own: 1 (default sound at its respawn), 2 and 3 (named), 0.
inline const char* const kShortPeriodsIni = "[settings]\ntime=3\nnotifysniper=1\nnotifyrocket=2\n"
    "notifycamo=0\nnotifyovershield=3\n[0]\nsniper=10\nrocket=6\ncamo=999\novershield=4\n"
    "[1]\nsniper=999\nrocket=999\ncamo=999\novershield=999\n"
    "[2]\nsniper=30\nrocket=60\ncamo=90\novershield=120\n";

// A temporary portable program folder, with times.ini and sounds/.
class TempProgramFolder : public QTemporaryDir {
public:
    program::Files files() const { return program::inFolder(path()); }
    QString iniPath() const { return files().settings; }

    // What times.ini holds, or "<none>" when there is none.
    QByteArray ini() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "<none>";
    }
    // Replaces times.ini with exactly these bytes.
    bool writeIni(const QByteArray& content) const
    {
        QFile file(iniPath());
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(content) == content.size();
    }
};
