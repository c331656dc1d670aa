#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QString>

// Where the sounds go and how loud they are.
struct SoundOutput {
    QByteArray device; // an output device's id; empty: the system's default output
    int volume = 100;  // 0 to 100 %
    bool operator==(const SoundOutput&) const = default;
};

// An output device as the sound system lists it.
struct SoundDevice {
    QByteArray id;
    QString description;
};

// Plays a wave file in the background. One sound at a time: a new call ends a
// sound that still plays. A file that is missing or cannot be played gives an
// audible default instead.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Through the output set last. A device that is not there (unplugged)
    // gives the system's default output.
    virtual void play(const QString& file) = 0;
    // Through the output given, which stays for this sound only.
    virtual void playThrough(const QString& file, const SoundOutput& output) = 0;
    // Taken from the next sound on.
    virtual void setOutput(const SoundOutput& output) = 0;
    // The output devices there are now.
    virtual QList<SoundDevice> devices() const = 0;
    // The files that may be played soon: each is read now, or soon after, so that
    // it plays at once when its time comes. A file that changes later is read
    // again when it is played.
    virtual void prepare(const QStringList& files) = 0;
};
