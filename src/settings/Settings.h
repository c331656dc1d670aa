#pragma once

#include <QString>
#include <QtGlobal>

// The fourteen keys of the settings section, with the values a first start has.
// read() is the one reader of the section for the match: each key is converted
// by its rule, and a key that is missing or cannot be read keeps the value the
// field had, except the sound file and the output device, which become empty
// when missing.
struct Settings {
    bool bDisableHotkeys = false;      // disablehotkeys, truth value
    qint16 iNotificationTime = 15;     // time, whole number
    bool bDisableScreenSaver = false;  // disablescreensaver, truth value
    bool bRespawnSound = false;        // respawnsound, truth value
    bool bAlwaysOnTop = false;         // alwaysontop, truth value
    QString sDefaultSoundFileName;     // defaultsoundfilename, text
    bool bBoxType = false;             // boxtype, truth value (true: PAL)
    qint16 iNotifySniper = 0;          // notifysniper, whole number
    qint16 iNotifyRocket = 0;          // notifyrocket, whole number
    qint16 iNotifyCamo = 0;            // notifycamo, whole number
    qint16 iNotifyOvershield = 0;      // notifyovershield, whole number
    QString sOutputDevice;             // outputdevice, text: a device id, empty for the default
    qint16 iVolume = 100;              // volume, whole number: per cent
    bool bGlobalShortcuts = false;     // globalshortcuts, truth value

    void read(const QString& iniFile);
};
