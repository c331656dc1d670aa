#pragma once

#include "timer/RespawnTable.h"

#include <QString>
#include <array>

// Which sound a second of the game clock gives for the items of the current map.
namespace notification {

struct Input {
    respawn::Column times;                 // the map's countdowns, as before this tick
    std::array<qint16, respawn::kItems> notify; // 1 = announce the item, 0 = not
    qint16 leadTime = 0;                   // seconds before a respawn for the notice
    bool respawnSound = false;             // true: the default sound at a respawn
};

struct Decision {
    // The due flags as the pass leaves them.
    std::array<bool, respawn::kItems> due{};
    // A respawn in default-sound mode: the default sound, and nothing else.
    bool playDefault = false;
    // Otherwise the file for the set of due items, relative to the program
    // folder ("sounds/ro.wav"), or empty when nothing is due.
    QString itemFile;
};

Decision decide(const Input& input);

// "sounds/" + the letters of the due items in the order s, r, c, o + ".wav";
// empty when none is due.
QString itemSoundFile(const std::array<bool, respawn::kItems>& due);

} // namespace notification
