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

} // namespace

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

TEST(RespawnTable, PalAddsTenOnceForWhatTheFileHolds)
{
    TempProgramFolder dir;
    ASSERT_TRUE(dir.writeIni("[0]\nsniper=30\nrocket=999\novershield=32757\n[1]\nsniper=32758\n"));
    Table times{}, base{};
    // Each load is a reload from the file followed by the PAL adjustment. An
    // entry the file lacks keeps its countdown, so it grows by 10 at each load.
    for (qint16 load = 1; load <= 3; ++load) {
        respawn::loadTimes(times, base, dir.iniPath());
        respawn::applyBoxType(times);
        const qint16 missing = qint16(10 * load);
        EXPECT_EQ(times[0], (Column{40, 999, missing, 32767})) << "load " << load;
        EXPECT_EQ(base[0], (Column{30, 999, qint16(missing - 10), 32757})) << "load " << load;
        EXPECT_EQ(times[1], (Column{32758, missing, missing, missing})) << "load " << load;
    }
}

TEST(RespawnTable, CountDownAndReloadOnlyTheGivenMap)
{
    const struct {
        int map;
        Column times, base, counted, reloaded;
    } cases[] = {
        {4, {999, 5, 1, 0}, {999, 50, 1, 40}, {999, 4, 0, 0}, {999, 4, 1, 40}},
        {6, {-3, 0, 2, 999}, {10, 0, 20, 999}, {-3, 0, 1, 999}, {-3, 0, 1, 999}},
    };
    for (const auto& c : cases) {
        // The other maps stand at 1: touched, they would reach 0 or be reloaded.
        Table times = filled(1), base = filled(30);
        times[c.map] = c.times;
        base[c.map] = c.base;
        respawn::countDown(times, c.map);
        EXPECT_EQ(times[c.map], c.counted) << "map " << c.map;
        respawn::reloadExpired(times, base, c.map);
        EXPECT_EQ(times[c.map], c.reloaded) << "map " << c.map;
        times[c.map].fill(1);
        EXPECT_EQ(times, filled(1)) << "map " << c.map;
    }
}
