#include "support/Printers.h"
#include "timer/Notification.h"

#include <gtest/gtest.h>

// The match's scripts show the usual notices and respawns; these are the corners they
// do not reach.
TEST(Notification, DecideOneTick)
{
    const struct { notification::Input in; bool playDefault; const char* file; } cases[] = {
        {{{1, 50, 50, 50}, {1, 1, 1, 1}, 0, true}, true, ""}, // lead 0: the notice is the respawn
        // Absent items come due when the lead time is 998.
        {{{999, 120, 999, 60}, {1, 1, 1, 1}, 998, false}, false, "sounds/sc.wav"},
        // Entries at 0 stand still, even when the lead time is -1.
        {{{0, 0, 50, 50}, {1, 1, 1, 1}, -1, true}, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in.leadTime);
        const notification::Decision d = notification::decide(c.in);
        EXPECT_EQ(d.playDefault, c.playDefault);
        EXPECT_EQ(d.itemFile, QString::fromLatin1(c.file));
    }
}
