#include "support/Printers.h"
#include "timer/Notification.h"

#include <gtest/gtest.h>

using Due = std::array<bool, respawn::kItems>;

// The tick sequence shows the usual notices and respawns; these are the corners.
TEST(Notification, DecideOneTick)
{
    constexpr std::array<qint16, respawn::kItems> all{1, 1, 1, 1};
    const struct {
        const char* what;
        notification::Input in;
        Due due;
        bool playDefault;
        const char* file;
    } cases[] = {
        {"default mode, respawn with another's notice", {{50, 1, 16, 50}, all, 15, true}, {0, 1, 1, 0}, true, ""},
        {"notify 0 respawn, default mode", {{1, 16, 50, 50}, {0, 1, 1, 1}, 15, true}, {0, 1, 0, 0}, false, "sounds/r.wav"},
        {"default mode keeps notify-0 flags", {{16, 1, 50, 50}, {0, 1, 1, 1}, 15, true}, {1, 1, 0, 0}, true, ""},
        {"notify 2 respawn, default mode", {{1, 50, 50, 50}, {2, 1, 1, 1}, 15, true}, {1, 0, 0, 0}, false, "sounds/s.wav"},
        {"lead 0, default mode", {{1, 50, 50, 50}, all, 0, true}, {1, 0, 0, 0}, true, ""},
        {"lead 998, absent items", {{999, 120, 999, 60}, all, 998, false}, {1, 0, 1, 0}, false, "sounds/sc.wav"},
        {"lead -1: entries at 0 stand still", {{0, 0, 50, 50}, all, -1, true}, {0, 0, 0, 0}, false, ""},
        {"all four", {{16, 1, 16, 1}, all, 15, false}, {1, 1, 1, 1}, false, "sounds/srco.wav"},
    };
    for (const auto& c : cases) {
        const notification::Decision d = notification::decide(c.in);
        EXPECT_EQ(d.due, c.due) << c.what;
        EXPECT_EQ(d.playDefault, c.playDefault) << c.what;
        EXPECT_EQ(d.itemFile, QString::fromLatin1(c.file)) << c.what;
    }
}
