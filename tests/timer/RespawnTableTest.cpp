#include "timer/RespawnTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using respawn::Column;
using respawn::Table;

namespace {

// Writes times.ini into dir with the given text and returns its path.
QString timesIni(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString path = dir.filePath("times.ini");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
}

Table filled(qint16 value)
{
    Table t;
    for (Column& c : t)
        c.fill(value);
    return t;
}

} // namespace

TEST(RespawnTable, LoadReadsAll52AndKeepsWhatItCannotRead)
{
    // Map m, item k holds 100 m + k + 1; map 3 has no section; then a few odd values.
    QByteArray text;
    Table want;
    for (int m = 0; m < respawn::kMaps; ++m)
        for (int k = 0; k < respawn::kItems; ++k) {
            want[m][k] = qint16(100 * m + k + 1);
            if (m != 3)
                text += (k ? "" : "[" + QByteArray::number(m) + "]\n") + respawn::itemKeys()[k].toUtf8()
                        + "=" + QByteArray::number(want[m][k]) + "\n";
        }
    text.replace("rocket=502\n", "").replace("camo=703", "camo=abc").replace("sniper=801", "sniper=40000")
        .replace("overshield=904", "overshield=").replace("sniper=201", "SNIPER = 7.5 ")
        .replace("rocket=202", "rocket=2.5").replace("overshield=1204", "overshield=999");
    want[3].fill(-7);
    want[5][respawn::Rocket] = want[7][respawn::Camo] = want[8][respawn::Sniper] = -7;
    want[9][respawn::Overshield] = -7;
    want[2][respawn::Sniper] = 8;
    want[2][respawn::Rocket] = 2;
    want[12][respawn::Overshield] = 999;

    QTemporaryDir dir;
    Table times = filled(-7), base{};
    respawn::loadTimes(times, base, timesIni(dir, text));
    EXPECT_EQ(times, want);
    EXPECT_EQ(base, want);

    // No file at all: every countdown stays, and the periods follow them.
    times[4][1] = 33;
    base = filled(0);
    const Table before = times;
    respawn::loadTimes(times, base, dir.filePath("missing.ini"));
    EXPECT_EQ(times, before);
    EXPECT_EQ(base, times);
}

TEST(RespawnTable, PalAddsTenOnceForWhatTheFileHolds)
{
    QTemporaryDir dir;
    const QString ini = timesIni(dir, "[0]\nsniper=30\nrocket=999\novershield=32757\n"
                                      "[1]\nsniper=32758\n");
    Table times{}, base{};
    // Each load is a reload from the file followed by the PAL adjustment. An
    // entry the file lacks keeps its countdown, so it grows by 10 at each load.
    for (qint16 load = 1; load <= 3; ++load) {
        respawn::loadTimes(times, base, ini);
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
