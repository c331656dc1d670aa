#pragma once

#include <QString>
#include <QtGlobal>

// The KOTH and Oddball timers. Each counts its period down to 0 and is reloaded by
// the tick that finds a 0; its notice comes when it reads 6.
struct GameModeTimers {
    enum Choice { None = -1, Koth = 0, Oddball = 1, Neither = 2 };

    // The hill moves every 60 seconds; the ball's notice comes once, 30 seconds in.
    qint16 iKothPeriod = 60;
    qint16 iKothCount = 60;
    qint16 iOddballPeriod = 30;
    qint16 iOddballCount = 30;
    bool bOddballPlayed = false;
    bool operator==(const GameModeTimers&) const = default;

    // Both counters back to their periods, the Oddball notice armed again.
    void reset();

    // The countdown step of one tick for the selected timer.
    void countDown(Choice choice);

    // A click on one of the choices.
    void choose(Choice choice);

    // The notice to play this second, relative to the program folder, or empty.
    // The Oddball notice is given once until re-armed.
    QString notice(Choice choice);
};
