#include "settings/Ini.h"
#include "support/ProgramFolder.h"
#include "timer/RespawnTable.h"

#include <gtest/gtest.h>

using namespace respawn;

// Each entry read by its map section and key; one that is missing or cannot be read
// keeps its countdown; the periods follow the countdowns. PAL adds ten to each entry,
// but none to an absent item or past the 16-bit range.
TEST(RespawnTable, LoadKeepsWhatItCannotReadAndPalStaysIn16Bits)
{
    TempProgramFolder dir;
    ASSERT_TRUE(dir.writeIni("[0]\nsniper=10\nSNIPER=11\nRocket = 2.5 \ncamo=abc\n[5]\nrocket=7\n"
                             "camo=999\novershield=3.5\n[12]\nsniper=-5\nrocket=32757\n"
                             "camo=32758\novershield=40000\n"));
    Table want, times, base{};
    want.fill({-7, -7, -7, -7});
    times = want;
    loadTimes(times, base, IniSnapshot(dir.filePath("missing.ini")));
    EXPECT_EQ(base, want);
    want[0] = {10, 2, -7, -7};
    want[5] = {-7, 7, 999, 4};
    want[12] = {-5, 32757, 32758, -7};
    loadTimes(times, base, IniSnapshot(dir.iniPath()));
    EXPECT_EQ(times, want);
    EXPECT_EQ(base, want);
    applyBoxType(times);
    EXPECT_EQ(times[5], (Column{3, 17, 999, 14}));
    EXPECT_EQ(times[12], (Column{5, 32767, 32758, 3}));
}

// Only the given map counts; an absent item and an entry at 0 stand still; what
// reached 0 gets its period back.
TEST(RespawnTable, CountDownAndReloadOnlyTheGivenMap)
{
    Table times, base;
    times.fill({1, 0, 1, 0});
    base.fill({30, 30, 30, 30});
    const Table others = times;
    times[4] = {999, 5, 1, 0};
    base[4] = {999, 50, 40, 20};
    countDown(times, 4);
    EXPECT_EQ(times[4], (Column{999, 4, 0, 0}));
    reloadExpired(times, base, 4);
    EXPECT_EQ(times[4], (Column{999, 4, 40, 20}));
    times[4] = others[4];
    EXPECT_EQ(times, others);
}
