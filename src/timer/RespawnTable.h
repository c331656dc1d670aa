#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

class IniSnapshot;

// The respawn table: for each of the 13 maps and each of the 4 items, the
// seconds to the next respawn (the countdowns) and the respawn periods.
namespace respawn {

constexpr int kMaps = 13;
constexpr int kItems = 4;
// An item the map does not have: never counted down, adjusted, reloaded or shown.
constexpr qint16 kAbsent = 999;
// A PAL box starts each load 10 seconds later.
constexpr qint16 kPalExtra = 10;

enum Item { Sniper = 0, Rocket = 1, Camo = 2, Overshield = 3 };

using Column = std::array<qint16, kItems>;
using Table = std::array<Column, kMaps>;

// The keys of a map section, in item order.
const std::array<QString, kItems>& itemKeys();
// The map names, in map order.
const std::array<QString, kMaps>& mapNames();

// Reads all 52 periods from the map sections "0".."12" of the settings file into
// times, then copies them to base. An entry that is missing or unreadable keeps
// the value it had in times.
void loadTimes(Table& times, Table& base, const IniSnapshot& ini);

// The PAL adjustment: 10 more seconds on every present countdown.
void applyBoxType(Table& times);

// One second off each of the map's counting items. An entry of 0 or below did not
// come from counting down (a missing period reads as 0): it stands still.
void countDown(Table& times, int map);

// Reloads the map's countdowns that reached 0 from their periods.
void reloadExpired(Table& times, const Table& base, int map);

} // namespace respawn
