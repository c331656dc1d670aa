#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <variant>

class IniSnapshot;

// The settings section of times.ini as the match holds it. A default-made
// Settings has the values a first start has, from the table below; read() takes
// each key by its rule, and a key that is missing or cannot be read keeps the
// value the field had (a text becomes empty when its key is missing).
struct Settings {
    QString sDefaultSoundFileName;     // a path
    QString sOutputDevice;             // a device id, empty for the system's default
    QString sWebKey;                   // the web view's control key
    QString sTeamCode;                 // the join code of a team this PC leads
    QString sTeamLeader;               // the last leader's address typed in File > Team
    qint16 iNotificationTime;          // seconds before a respawn for its notice
    qint16 iNotifySniper, iNotifyRocket, iNotifyCamo, iNotifyOvershield; // 1: announce
    qint16 iVolume;                    // per cent
    qint16 iCalloutOffset;             // ms a sound comes after its tick (before: negative)
    qint16 iWebPort;                   // the web view's
    qint16 iTeamPort;                  // the port a team's leader serves on
    bool bDisableScreenSaver, bAlwaysOnTop, bDisableHotkeys, bBoxType /* PAL */,
        bRespawnSound /* the default sound at a respawn */, bGlobalShortcuts,
        bWebLan /* the web view for the local network, not this PC only */,
        bTeamDrive /* a team's followers may drive the clock */;

    Settings();
    void read(const QString& iniFile);
    void read(const IniSnapshot& ini);
};

// The table of the settings section: each key once, with everything the reader,
// the windows and the writer need to know of it.
namespace setting {

inline const QString section = QStringLiteral("settings");

// How the Options window shows a key, and writes it back.
enum class Shown {
    Elsewhere,    // not there: another window or a menu item writes it
    AsTyped,      // a text box holding the stored text as it stands
    File,         // the default sound file, chosen by a browse
    CheckedAtOne, // a check box, checked only by a number equal to 1
    Check,        // a check box, checked by a true value
    ThreeState,   // a check box showing the stored 0, 1 or 2 (greyed)
    Choice,       // option buttons CONTROL_0 for false and CONTROL_1 for true
};

// The field's type is the key's: a truth value ("True"/"False" in any case, or a
// number, 0 false; stored as 0 or 1), a whole number (a decimal number rounded
// half to even, brought into the key's range) or a text (as it stands).
using Field = std::variant<bool Settings::*, qint16 Settings::*, QString Settings::*>;

struct Key {
    const char* name;
    Field field;
    int first = 0; // the first start's value; a text starts empty
    int low = -32768, high = 32767;
    Shown shown = Shown::Elsewhere;
    const char* control = nullptr; // the Options control's objectName
};

// In the order the Options window writes them.
const std::array<Key, 22>& keys();
// The row of a field.
const Key& of(const Field& field);

} // namespace setting
