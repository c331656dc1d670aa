#include "settings/Keys.h"

#include "platform/ProgramInfo.h"
#include "settings/Ini.h"

QString readSetting(const QString& key)
{
    return ReadIni(keys::settingsSection, key, program::iniPath());
}
