#include "support/Printers.h"
#include "timer/SpecialTimers.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

// Runs ticks first..last with choice selected (notice, then the countdown step)
// and returns the ticks that gave a notice; every notice must be file.
QList<int> noticeTicks(SpecialTimers& st, SpecialTimers::Choice choice, int first, int last,
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

SpecialTimers afterReset()
{
    SpecialTimers st;
    st.iKothPeriod = 60;
    st.iOddballPeriod = 30;
    st.reset();
    return st;
}

const QString hill = QStringLiteral("sounds/hill.wav");
const QString oddball = QStringLiteral("sounds/oddball.wav");

} // namespace

TEST(SpecialTimers, KothSoundsEverySixtyOneTicks)
{
    SpecialTimers st = afterReset();
    EXPECT_EQ(noticeTicks(st, SpecialTimers::Koth, 1, 200, hill), (QList<int>{55, 116, 177}));
}

TEST(SpecialTimers, OddballSoundsOnceUntilRearmed)
{
    SpecialTimers st = afterReset();
    EXPECT_EQ(noticeTicks(st, SpecialTimers::Oddball, 1, 80, oddball), QList<int>{25});
    // Choosing Oddball again re-arms it; the counter goes on (it reads 6 at 87).
    st.choose(SpecialTimers::Oddball);
    EXPECT_EQ(noticeTicks(st, SpecialTimers::Oddball, 81, 120, oddball), QList<int>{87});
    // Neither re-arms it and restarts both counters.
    st.choose(SpecialTimers::Neither);
    EXPECT_EQ(noticeTicks(st, SpecialTimers::Oddball, 121, 200, oddball), QList<int>{145});
}

TEST(SpecialTimers, OnlyTheSelectedCounterCounts)
{
    SpecialTimers st = afterReset();
    noticeTicks(st, SpecialTimers::Koth, 1, 10, hill);
    st.choose(SpecialTimers::Oddball);
    noticeTicks(st, SpecialTimers::Oddball, 11, 15, oddball);
    EXPECT_EQ(st.iKothCount, 50);
    EXPECT_EQ(st.iOddballCount, 25);

    for (const auto choice : {SpecialTimers::None, SpecialTimers::Neither}) {
        st = afterReset();
        EXPECT_TRUE(noticeTicks(st, choice, 1, 100, {}).isEmpty());
        EXPECT_EQ(st.iKothCount, 60);
        EXPECT_EQ(st.iOddballCount, 30);
    }
}
