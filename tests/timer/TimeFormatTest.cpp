#include "support/Printers.h"
#include "timer/TimeFormat.h"

#include <gtest/gtest.h>

// The usual values are checked where the window and the status line show them.
TEST(TimeFormat, HoursStayMinutesAndNegativeIsZero)
{
    EXPECT_EQ(SetTimeFormat(32767), "546:07");
    EXPECT_EQ(SetTimeFormat(-75), "0:00");
    EXPECT_EQ(clockField(123), "123");
}
