#include "settings/Settings.h"

#include "settings/Convert.h"
#include "settings/Ini.h"

#include <algorithm>

namespace setting {

const std::array<Key, 22>& keys()
{
    using S = Settings;
    static const std::array<Key, 22> table{{
        {.name = "time", .field = &S::iNotificationTime, .first = 15, .shown = Shown::AsTyped,
         .control = "txtNotificationTime"},
        {.name = "disablescreensaver", .field = &S::bDisableScreenSaver,
         .shown = Shown::CheckedAtOne, .control = "chkDisableScreensaver"},
        {.name = "defaultsoundfilename", .field = &S::sDefaultSoundFileName, .shown = Shown::File},
        {.name = "alwaysontop", .field = &S::bAlwaysOnTop, .shown = Shown::CheckedAtOne,
         .control = "chkOnTop"},
        {.name = "disablehotkeys", .field = &S::bDisableHotkeys, .shown = Shown::Check,
         .control = "chkHotkeys"},
        {.name = "notifysniper", .field = &S::iNotifySniper, .shown = Shown::ThreeState,
         .control = "chkNotifyWeapons_0"},
        {.name = "notifyrocket", .field = &S::iNotifyRocket, .shown = Shown::ThreeState,
         .control = "chkNotifyWeapons_1"},
        {.name = "notifycamo", .field = &S::iNotifyCamo, .shown = Shown::ThreeState,
         .control = "chkNotifyWeapons_2"},
        {.name = "notifyovershield", .field = &S::iNotifyOvershield, .shown = Shown::ThreeState,
         .control = "chkNotifyWeapons_3"},
        {.name = "boxtype", .field = &S::bBoxType, .shown = Shown::Choice, .control = "optBoxType"},
        {.name = "respawnsound", .field = &S::bRespawnSound, .shown = Shown::Choice,
         .control = "optRespawn"},
        // File > Sound Output
        {.name = "outputdevice", .field = &S::sOutputDevice},
        {.name = "volume", .field = &S::iVolume, .first = 100, .low = 0, .high = 100},
        {.name = "calloutoffset", .field = &S::iCalloutOffset, .low = -500, .high = 500},
        // File > Global Shortcuts
        {.name = "globalshortcuts", .field = &S::bGlobalShortcuts},
        // File > Web View; a fixed port stays below the range Linux gives to
        // outgoing connections
        {.name = "webport", .field = &S::iWebPort, .first = 8421, .low = 1024},
        {.name = "weblan", .field = &S::bWebLan},
        {.name = "webkey", .field = &S::sWebKey},
        // File > Team; the join code is kept until the user asks for a new one
        {.name = "teamport", .field = &S::iTeamPort, .first = 8422, .low = 1024},
        {.name = "teamcode", .field = &S::sTeamCode},
        {.name = "teamdrive", .field = &S::bTeamDrive, .first = 1},
        {.name = "teamleader", .field = &S::sTeamLeader},
    }};
    return table;
}

const Key& of(const Field& field)
{
    const auto& table = keys();
    // Every field has its row: a missing one is a fault of the table.
    return *std::ranges::find_if(table, [&](const Key& k) { return k.field == field; });
}

} // namespace setting

Settings::Settings()
{
    for (const setting::Key& key : setting::keys())
        std::visit([&](auto field) {
            using Value = std::remove_reference_t<decltype(this->*field)>;
            if constexpr (!std::is_same_v<Value, QString>)
                this->*field = Value(key.first);
        }, key.field);
}

void Settings::read(const QString& iniFile)
{
    read(IniSnapshot(iniFile));
}

void Settings::read(const IniSnapshot& ini)
{
    for (const setting::Key& key : setting::keys()) {
        const QString text = ini.value(setting::section, QString::fromLatin1(key.name));
        std::visit([&](auto field) {
            using Value = std::remove_reference_t<decltype(this->*field)>;
            if constexpr (std::is_same_v<Value, QString>) {
                this->*field = text;
            } else if constexpr (std::is_same_v<Value, bool>) {
                if (const auto v = convert::toTruth(text))
                    this->*field = *v;
            } else if (const auto v = convert::toWholeNumber(text)) {
                this->*field = qint16(std::clamp<int>(*v, key.low, key.high));
            }
        }, key.field);
    }
}
