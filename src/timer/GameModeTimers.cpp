#include "timer/GameModeTimers.h"

void GameModeTimers::reset()
{
    iKothCount = iKothPeriod;
    iOddballCount = iOddballPeriod;
    bOddballPlayed = false;
}

void GameModeTimers::countDown(Choice choice)
{
    if (iKothCount == 0 || iOddballCount == 0) {
        iKothCount = iKothPeriod;
        iOddballCount = iOddballPeriod;
        return;
    }
    if (choice == Koth)
        --iKothCount;
    if (choice == Oddball)
        --iOddballCount;
}

void GameModeTimers::choose(Choice choice)
{
    if (choice == Oddball) {
        bOddballPlayed = false;
    } else if (choice == Neither) {
        reset();
    }
}

QString GameModeTimers::notice(Choice choice)
{
    if (choice == Koth && iKothCount == 6)
        return QStringLiteral("sounds/hill.wav");
    if (choice == Oddball && iOddballCount == 6 && !bOddballPlayed) {
        bOddballPlayed = true;
        return QStringLiteral("sounds/oddball.wav");
    }
    return {};
}
