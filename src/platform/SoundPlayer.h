#pragma once

#include <QString>

// Plays a wave file in the background. One sound at a time: a new call ends a
// sound that still plays. A file that is missing or cannot be played gives an
// audible default instead.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString& file) = 0;
};
