#pragma once

#include <QString>

// The names in the settings file.
namespace keys {
inline const QString settingsSection = QStringLiteral("settings");

inline const QString disableHotkeys = QStringLiteral("disablehotkeys");
inline const QString time = QStringLiteral("time");
inline const QString disableScreenSaver = QStringLiteral("disablescreensaver");
inline const QString respawnSound = QStringLiteral("respawnsound");
inline const QString alwaysOnTop = QStringLiteral("alwaysontop");
inline const QString defaultSoundFileName = QStringLiteral("defaultsoundfilename");
inline const QString boxType = QStringLiteral("boxtype");
inline const QString notifySniper = QStringLiteral("notifysniper");
inline const QString notifyRocket = QStringLiteral("notifyrocket");
inline const QString notifyCamo = QStringLiteral("notifycamo");
inline const QString notifyOvershield = QStringLiteral("notifyovershield");
// The sound output, written by File > Sound Output.
inline const QString outputDevice = QStringLiteral("outputdevice");
inline const QString volume = QStringLiteral("volume");
// Set by File > Global Shortcuts.
inline const QString globalShortcuts = QStringLiteral("globalshortcuts");
} // namespace keys

// A value of the settings section of times.ini beside the program. The file name is
// built anew for each call, so a moved program folder is followed.
QString readSetting(const QString& key);
