#include "support/Printers.h"
#include "timer/GameModeTimers.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

// Runs ticks first..last with choice selected (notice, then the countdown step)
// and returns the ticks that gave a notice; every notice must be file.
QList<int> noticeTicks(GameModeTimers& st, GameModeTimers::Choice choice, int first, int last,
                       const QString& file)
{
    QList<int> ticks;
    for (int tick = first; tick <= last; ++tick) {
        const QString played = st.notice(choice);
        if (!played.isEmpty()) {
            EXPECT_EQ(played, file) << "tick " << tick;
            ticks << tick;
        }
        st.countDown(choice);
    }
    return ticks;
}

GameModeTimers afterReset()
{
    GameModeTimers st;
    st.iKothPeriod = 60;
    st.iOddballPeriod = 30;
    st.reset();
    return st;
}

const QString hill = QStringLiteral("sounds/hill.wav");
const QString oddball = QStringLiteral("sounds/oddball.wav");

} // namespace

TEST(GameModeTimers, KothSoundsEverySixtyOneTicks)
{
    GameModeTimers st = afterReset();
    EXPECT_EQ(noticeTicks(st, GameModeTimers::Koth, 1, 200, hill), (QList<int>{55, 116, 177}));
}

TEST(GameModeTimers, OddballSoundsOnceUntilRearmed)
{
    GameModeTimers st = afterReset();
    EXPECT_EQ(noticeTicks(st, GameModeTimers::Oddball, 1, 80, oddball), QList<int>{25});
    // Choosing Oddball again re-arms it; the counter goes on (it reads 6 at 87).
    st.choose(GameModeTimers::Oddball);
    EXPECT_EQ(noticeTicks(st, GameModeTimers::Oddball, 81, 120, oddball), QList<int>{87});
    // Neither re-arms it and restarts both counters.
    st.choose(GameModeTimers::Neither);
    EXPECT_EQ(noticeTicks(st, GameModeTimers::Oddball, 121, 200, oddball), QList<int>{145});
}

TEST(GameModeTimers, OnlyTheSelectedCounterCounts)
{
    GameModeTimers st = afterReset();
    noticeTicks(st, GameModeTimers::Koth, 1, 10, hill);
    st.choose(GameModeTimers::Oddball);
    noticeTicks(st, GameModeTimers::Oddball, 11, 15, oddball);
    EXPECT_EQ(st.iKothCount, 50);
    EXPECT_EQ(st.iOddballCount, 25);

    for (const auto choice : {GameModeTimers::None, GameModeTimers::Neither}) {
        st = afterReset();
        EXPECT_TRUE(noticeTicks(st, choice, 1, 100, {}).isEmpty());
        EXPECT_EQ(st.iKothCount, 60);
        EXPECT_EQ(st.iOddballCount, 30);
    }
}
