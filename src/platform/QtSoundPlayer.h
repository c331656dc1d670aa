#pragma once

#include "platform/SoundPlayer.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>

class QAudioSink;
class QIODevice;

// Plays wave files through Qt Multimedia, one at a time, the newest winning.
// libsndfile reads each file into memory once, as floating-point samples, and a
// new QAudioSink plays each sound from there on the chosen device. A file that is
// missing, that libsndfile cannot read as a wave file, or whose rate or channels
// the sound server does not take, gives the alert tone built into the program:
// Linux has no system alert sound that every desktop provides. The output device
// is looked up by its id at each sound, so one unplugged while the program runs
// gives the default output until it is back.
class QtSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    // A sound read into memory: 32-bit floating-point samples in [-1, 1],
    // interleaved, at the file's rate and number of channels. No samples: the
    // file could not be read.
    struct Sound {
        int rate = 0;
        int channels = 0;
        QByteArray samples;
    };

    // What plays now, or played last.
    struct Playing {
        QString file;        // the file asked for
        bool alert = false;  // the alert plays in its place
        QByteArray device;   // the id of the device it plays through
        QPointer<QAudioSink> sink; // none without an output device, or once it has gone
    };

    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    void play(const QString& file) override;
    void playThrough(const QString& file, const SoundOutput& output) override;
    void setOutput(const SoundOutput& output) override;
    QList<SoundDevice> devices() const override;
    void prepare(const QStringList& files) override;

    const Playing& playing() const { return playing_; }

    // The RIFF wave file of any format libsndfile knows (integer PCM of 8 to 32
    // bits, floating point, WAVE_FORMAT_EXTENSIBLE, µ-law, A-law, ADPCM, ...);
    // no samples for any other file, or one with no sound in it.
    static Sound decode(QIODevice& in);

private:
    // A sound file as read, and the file's size and time that it was read at.
    struct Read {
        qint64 size = -1;
        qint64 modified = 0;
        Sound sound;
    };
    // The file's sound from memory; read now when it was not read yet or has
    // changed since.
    const Sound& soundOf(const QString& file);
    void readPrepared();
    const Sound& alertSound(); // read at its first use

    SoundOutput output_;
    std::optional<Sound> alert_;
    QHash<QString, Read> read_;
    QStringList toRead_; // asked for by prepare(), read once the event loop runs
    bool readScheduled_ = false;
    Playing playing_;
};
