#include "timer/Notification.h"

namespace notification {

QString itemSoundFile(const std::array<bool, respawn::kItems>& due)
{
    static const char letters[respawn::kItems] = {'s', 'r', 'c', 'o'};
    QString name;
    for (int k = 0; k < respawn::kItems; ++k)
        if (due[k])
            name += QLatin1Char(letters[k]);
    return name.isEmpty() ? QString() : QStringLiteral("sounds/") + name + QStringLiteral(".wav");
}

Decision decide(const Input& input)
{
    Decision d;
    bool respawnNow = false;
    for (int k = 0; k < respawn::kItems; ++k) {
        const int t = input.times[k];
        // An entry of 0 or below stands still and never comes due.
        if (t <= 0)
            continue;
        if (t == input.leadTime + 1 || t == 1) {
            if (t == 1 && input.notify[k] == 1)
                respawnNow = true;
            d.due[k] = true;
        }
    }
    if (respawnNow && input.respawnSound) {
        d.playDefault = true;
        return d;
    }
    for (int k = 0; k < respawn::kItems; ++k)
        if (input.notify[k] == 0)
            d.due[k] = false;
    d.itemFile = itemSoundFile(d.due);
    return d;
}

} // namespace notification
