#pragma once

#include "platform/Dialogs.h"
#include "platform/ProgramInfo.h"
#include "platform/SoundPlayer.h"

#include <QDialog>

class QComboBox;
class QSlider;
class QSpinBox;

// File > Sound Output: the device and the volume of every sound, and the callout
// offset that moves them against their ticks. Test plays a sound (chime.wav)
// through what the dialog shows, before anything is saved; OK saves the choice to
// the settings file and hands the device and volume to the player (the offset is
// for the running match: calloutOffset()).
class SoundOutputDialog : public QDialog {
    Q_OBJECT
public:
    SoundOutputDialog(SoundPlayer& player, Dialogs& dialogs, const SoundOutput& current,
                      int calloutOffsetMs, const program::Files& files, QWidget* parent = nullptr);

    // The choice the dialog shows.
    SoundOutput output() const;
    int calloutOffset() const;

    void accept() override;

private:
    SoundPlayer& player_;
    Dialogs& dialogs_;
    QString settingsFile_;
    QComboBox* cboDevice_ = nullptr;
    QSlider* sldVolume_ = nullptr;
    QSpinBox* txtCalloutOffset_ = nullptr;
};
