#include "support/Printers.h"
#include "timer/TimeFormat.h"

#include <gtest/gtest.h>

#include <limits>

TEST(TimeFormat, SetTimeFormat)
{
    const struct { double seconds; const char* want; } cases[] = {
        {0, "0:00"}, {5, "0:05"}, {9, "0:09"}, {10, "0:10"}, {60, "1:00"}, {61, "1:01"},
        {75, "1:15"}, {600, "10:00"}, {3599, "59:59"}, {3600, "60:00"}, {32767, "546:07"},
        {-1, "0:00"}, {-75, "0:00"}, {std::numeric_limits<double>::quiet_NaN(), "0:00"},
        {std::numeric_limits<double>::infinity(), "0:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SetTimeFormat(c.seconds), c.want) << c.seconds;
}

TEST(TimeFormat, ClockField)
{
    const struct { int value; const char* want; } cases[] = {
        {0, "00"}, {7, "07"}, {10, "10"}, {59, "59"}, {123, "123"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(clockField(c.value), c.want) << c.value;
}
