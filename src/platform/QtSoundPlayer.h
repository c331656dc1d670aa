#pragma once

#include "platform/SoundPlayer.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

class QSoundEffect;

// Plays wave files through Qt Multimedia, one at a time, the newest winning.
// A file that is missing or cannot be decoded gives the alert tone built into
// the program: Linux has no system alert sound that every desktop provides.
// The output device is looked up by its id at each sound, so one unplugged
// while the program runs gives the default output until it is back.
class QtSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    void play(const QString& file) override;
    void playThrough(const QString& file, const SoundOutput& output) override;
    void setOutput(const SoundOutput& output) override;
    QList<SoundDevice> devices() const override;

    // What plays (or is still loading) now; null when nothing was played yet.
    QSoundEffect* current() const;

    // The built-in alert tone.
    static QUrl alertSource();

    // Whether the file is a whole RIFF wave file of a format Qt's decoder takes;
    // only such a file is handed to it.
    static bool isPlayableWaveFile(const QString& file);

private:
    void start(const QUrl& source, const SoundOutput& output, bool alertOnError);
    void onStatusChanged(QSoundEffect* effect, const SoundOutput& output, bool alertOnError);

    SoundOutput output_;

    QPointer<QSoundEffect> current_;
    // Never played: it keeps the alert decoded, and it made the connection to
    // the sound server at start-up rather than at the first sound.
    QSoundEffect* alertKeeper_ = nullptr;
};
