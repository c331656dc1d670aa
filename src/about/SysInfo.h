#pragma once

#include <QString>
#include <stdexcept>

class Dialogs;
class Launcher;
class QWidget;
class Registry;

// The System Info button's lookup: where the system-information program is
// kept in the registry, and how it is started.
namespace sysinfo {

inline const QString msinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString msinfoValue = QStringLiteral("PATH");
inline const QString locationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
inline const QString locationValue = QStringLiteral("MSINFO");
// Joined to the folder that the location value names.
inline const QString programFile = QStringLiteral("/MSINFO32.EXE");
inline const QString unavailable = QStringLiteral("System Information Is Unavailable At This Time");

constexpr quint32 REG_SZ = 1;
constexpr quint32 REG_DWORD = 4;
// The buffer a value is read into; a longer value does not fit and is not read.
constexpr int valueBufferSize = 1024;

// A value that was found but cannot be turned into text (one of zero length,
// or a number too large to read). It ends the lookup at once.
class RunTimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads value SubKeyRef of key KeyName under KeyRoot into KeyVal. Returns false,
// with KeyVal emptied, when the key or the value is missing or the value is longer
// than the buffer. A string's terminating zero is dropped; a number's text is built
// onto what KeyVal held (see the .cpp); other types leave KeyVal as it was.
// Throws RunTimeError for a value that cannot be turned into text.
bool GetKeyValue(const Registry& registry, quint32 KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal);

// Starts the system-information program that the registry names, or tells the
// user that there is none.
void StartSysInfo(const Registry& registry, Launcher& launcher, Dialogs& dialogs,
                  QWidget* parent = nullptr);

} // namespace sysinfo
