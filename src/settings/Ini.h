#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <utility>

// The settings file is an INI file: "[section]" lines open a section, "key=value"
// lines give values, read as the Win32 profile functions read them. Section and key
// names match without regard to letter case; a value loses the blanks around it and
// one pair of enclosing quotes. The file may be UTF-8, UTF-16 behind its byte-order
// mark, or Windows-1252, and is written back so. A read goes no further than the
// line it answers from.

// The value of key in section of the file, or the empty text when the file, the
// section or the key is missing. A value is cut to its first 749 characters.
// The file is opened and closed in the call.
QString ReadIni(const QString& section, const QString& key, const QString& fileName);

// The file opened once for many reads, such as a settings load's: each value is
// the one ReadIni gives, and the file is read once, no further than the last
// line a value came from. The reads see the file as it was when it was opened:
// a save replaces the file, and this one keeps reading the old one.
class IniSnapshot {
public:
    explicit IniSnapshot(const QString& fileName);
    ~IniSnapshot();
    IniSnapshot(const IniSnapshot&) = delete;
    IniSnapshot& operator=(const IniSnapshot&) = delete;

    QString value(const QString& section, const QString& key) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Sets key in section to value, creating the file, the section and the key when
// they are missing; every other line of the file stays as it was. The new file
// replaces the old one in one step, so a failed write leaves the old file whole.
// A symbolic link is followed to the real file, which is replaced with its mode,
// owner and group; the links stay. A read-only file is not written. Two saves
// of one file, from this program or another, take turns: each keeps the
// other's keys (they lock a file beside the real one: .times.ini.lock).
// Returns false (and why, in *error) when the file could not be written.
bool WriteIni(const QString& section, const QString& key, const QString& value,
              const QString& fileName, QString* error = nullptr);

// Sets several keys of one section in one replace of the file: either every value
// is written or, on failure, the file stays as it was.
bool WriteIni(const QString& section, const QList<std::pair<QString, QString>>& values,
              const QString& fileName, QString* error = nullptr);
