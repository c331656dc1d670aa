#pragma once

#include "platform/SoundPlayer.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

class QSoundEffect;

// Plays wave files through Qt Multimedia, one at a time, the newest winning.
// A file that is missing or cannot be decoded gives the alert tone built into
// the program: Linux has no system alert sound that every desktop provides.
class QtSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    void play(const QString& file) override;

    // What plays (or is still loading) now; empty when nothing was played yet.
    QUrl currentSource() const;

    // The built-in alert tone.
    static QUrl alertSource();

    // Whether the file is a RIFF wave file with a format chunk and all of its
    // data chunk; only such a file is handed to Qt's decoder.
    static bool isWholeWaveFile(const QString& file);

private:
    void start(const QUrl& source, bool alertOnError);
    void onStatusChanged(QSoundEffect* effect, bool alertOnError);

    QPointer<QSoundEffect> current_;
    // Never played: it keeps the alert decoded, and it made the connection to
    // the sound server at start-up rather than at the first sound.
    QSoundEffect* alertKeeper_ = nullptr;
};
