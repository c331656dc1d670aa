#include "support/Printers.h"
#include "timer/Notification.h"

#include <gtest/gtest.h>

// The match's scripts show the usual notices and respawns; these are the corners they
// do not reach, and the due flags, which only the pass itself shows.
TEST(Notification, DecideOneTick)
{
    const struct { notification::Input in; std::array<bool, respawn::kItems> due;
                   bool playDefault; const char* file; } cases[] = {
        // The default sound at a respawn leaves the flags of items notified with 0.
        {{{16, 1, 50, 50}, {0, 1, 1, 1}, 15, true}, {1, 1, 0, 0}, true, ""},
        // A lead time of 0: the notice is the respawn.
        {{{1, 50, 50, 50}, {1, 1, 1, 1}, 0, true}, {1, 0, 0, 0}, true, ""},
        // Absent items come due when the lead time is 998.
        {{{999, 120, 999, 60}, {1, 1, 1, 1}, 998, false}, {1, 0, 1, 0}, false, "sounds/sc.wav"},
        // Entries at 0 stand still, even when the lead time is -1.
        {{{0, 0, 50, 50}, {1, 1, 1, 1}, -1, true}, {0, 0, 0, 0}, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in.leadTime);
        const notification::Decision d = notification::decide(c.in);
        EXPECT_EQ(d.due, c.due);
        EXPECT_EQ(d.playDefault, c.playDefault);
        EXPECT_EQ(d.itemFile, QString::fromLatin1(c.file));
    }
}
