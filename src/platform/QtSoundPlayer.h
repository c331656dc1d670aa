#pragma once

#include "platform/SoundPlayer.h"

#include <QObject>
#include <QPointer>

class QSoundEffect;

// Plays wave files through Qt Multimedia.
class QtSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    void play(const QString& file) override;

private:
    QPointer<QSoundEffect> current_;
};
