#pragma once

#include "platform/ProgramInfo.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

// A temporary program folder: while it lives, the program reads and writes
// times.ini and sounds/ there instead of beside the test binary.
class TempProgramFolder {
public:
    TempProgramFolder() { program::setFolderForTesting(dir_.path()); }
    ~TempProgramFolder() { program::setFolderForTesting({}); }
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    QString iniPath() const { return filePath(QStringLiteral("times.ini")); }

    // Replaces times.ini with exactly these bytes.
    bool writeIni(const QByteArray& content) const
    {
        QFile file(iniPath());
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(content) == content.size();
    }

private:
    QTemporaryDir dir_;
};
