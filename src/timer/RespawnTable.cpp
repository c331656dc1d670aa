#include "timer/RespawnTable.h"

#include "settings/Convert.h"
#include "settings/Ini.h"

namespace respawn {

const std::array<QString, kItems>& itemKeys()
{
    static const std::array<QString, kItems> keys = {
        QStringLiteral("sniper"), QStringLiteral("rocket"), QStringLiteral("camo"),
        QStringLiteral("overshield")};
    return keys;
}

const std::array<QString, kMaps>& mapNames()
{
    static const std::array<QString, kMaps> names = {
        QStringLiteral("Battle Creek"), QStringLiteral("Blood Gulch"),
        QStringLiteral("Boarding Action"), QStringLiteral("Chill Out"),
        QStringLiteral("Chiron"), QStringLiteral("Damnation"),
        QStringLiteral("Derelict"), QStringLiteral("Hang'em High"),
        QStringLiteral("Longest"), QStringLiteral("Prisoner"),
        QStringLiteral("Rat Race"), QStringLiteral("Sidewinder"),
        QStringLiteral("Wizard")};
    return names;
}

void loadTimes(Table& times, Table& base, const IniSnapshot& ini)
{
    for (int m = 0; m < kMaps; ++m) {
        for (int k = 0; k < kItems; ++k) {
            const QString text = ini.value(QString::number(m), itemKeys()[k]);
            if (const auto value = convert::toWholeNumber(text))
                times[m][k] = *value;
        }
        base[m] = times[m];
    }
}

void applyBoxType(Table& times)
{
    for (Column& column : times)
        for (qint16& entry : column)
            // An addition that would leave the 16-bit range is skipped.
            if (entry != kAbsent && entry <= 32767 - kPalExtra)
                entry = qint16(entry + kPalExtra);
}

void countDown(Table& times, int map)
{
    for (qint16& entry : times[map])
        if (entry != kAbsent && entry > 0)
            --entry;
}

void reloadExpired(Table& times, const Table& base, int map)
{
    for (int k = 0; k < kItems; ++k)
        if (times[map][k] == 0)
            times[map][k] = base[map][k];
}

} // namespace respawn
