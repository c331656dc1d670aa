#include "settings/Settings.h"

#include "settings/Convert.h"
#include "settings/Ini.h"
#include "settings/Keys.h"

void Settings::read(const QString& iniFile)
{
    auto value = [&](const QString& key) { return ReadIni(keys::settingsSection, key, iniFile); };
    auto truth = [&](bool& field, const QString& key) {
        if (const auto v = convert::toTruth(value(key)))
            field = *v;
    };
    auto whole = [&](qint16& field, const QString& key) {
        if (const auto v = convert::toWholeNumber(value(key)))
            field = *v;
    };
    truth(bDisableHotkeys, keys::disableHotkeys);
    whole(iNotificationTime, keys::time);
    truth(bDisableScreenSaver, keys::disableScreenSaver);
    truth(bRespawnSound, keys::respawnSound);
    truth(bAlwaysOnTop, keys::alwaysOnTop);
    sDefaultSoundFileName = value(keys::defaultSoundFileName);
    truth(bBoxType, keys::boxType);
    whole(iNotifySniper, keys::notifySniper);
    whole(iNotifyRocket, keys::notifyRocket);
    whole(iNotifyCamo, keys::notifyCamo);
    whole(iNotifyOvershield, keys::notifyOvershield);
    sOutputDevice = value(keys::outputDevice);
    whole(iVolume, keys::volume);
    truth(bGlobalShortcuts, keys::globalShortcuts);
}
