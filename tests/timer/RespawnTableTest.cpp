#include "support/ProgramFolder.h"
#include "timer/RespawnTable.h"

#include <gtest/gtest.h>

using respawn::Column;
using respawn::Table;

namespace {

Table filled(qint16 value)
{
    Table t;
    for (Column& c : t)
        c.fill(value);
    return t;
}

// Each entry read by its map section and key; one that is missing or cannot be read
// keeps its countdown; the periods follow the countdowns.
TEST(RespawnTable, LoadKeepsWhatItCannotRead)
{
    TempProgramFolder dir;
    ASSERT_TRUE(dir.writeIni("[0]\nsniper=10\nSNIPER=11\nRocket = 2.5 \ncamo=abc\n"
                             "[5]\nrocket=7\novershield=3.5\n[12]\novershield=40000\ncamo=999\n"));
    Table want = filled(-7), times = want, base{};
    want[0] = {10, 2, -7, -7};
    want[5] = {-7, 7, -7, 4};
    want[12] = {-7, -7, 999, -7};
    respawn::loadTimes(times, base, dir.iniPath());
    EXPECT_EQ(times, want);
    EXPECT_EQ(base, want);
    respawn::loadTimes(times, base = {}, dir.filePath("missing.ini"));
    EXPECT_EQ(times, want);
    EXPECT_EQ(base, want);
}

// Ten more on each entry, but none on an absent item or past the 16-bit range.
TEST(RespawnTable, PalStaysIn16Bits)
{
    Table times = filled(999);
    times[12] = {-5, 32757, 32758, 999};
    respawn::applyBoxType(times);
    EXPECT_EQ(times[12], (Column{5, 32757 + 10, 32758, 999}));
}

// Only the given map counts; an absent item and an entry at 0 stand still; what
// reached 0 gets its period back.
TEST(RespawnTable, CountDownAndReloadOnlyTheGivenMap)
{
    Table times = filled(1), base = filled(30);
    times[4] = {999, 5, 1, 0};
    base[4] = {999, 50, 40, 20};
    respawn::countDown(times, 4);
    EXPECT_EQ(times[4], (Column{999, 4, 0, 0}));
    respawn::reloadExpired(times, base, 4);
    EXPECT_EQ(times[4], (Column{999, 4, 40, 20}));
    times[4].fill(1);
    EXPECT_EQ(times, filled(1));
}

} // namespace
