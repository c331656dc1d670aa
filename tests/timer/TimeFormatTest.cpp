#include "support/Printers.h"
#include "timer/TimeFormat.h"

#include <gtest/gtest.h>

#include <limits>

TEST(TimeFormat, ItemRowsAndClockFields)
{
    const struct { double seconds; const char* row; const char* field; } cases[] = {
        {0, "0:00", "00"}, {7, "0:07", "07"}, {10, "0:10", "10"}, {61, "1:01", "61"},
        {3599, "59:59", "3599"}, {3600, "60:00", "3600"}, {-75, "0:00", "-75"},
        {std::numeric_limits<double>::quiet_NaN(), "0:00", nullptr},
        {std::numeric_limits<double>::infinity(), "0:00", nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SetTimeFormat(c.seconds), c.row) << c.seconds;
        if (c.field) {
            EXPECT_EQ(clockField(int(c.seconds)), c.field) << c.seconds;
        }
    }
}
