#pragma once

#include "platform/SoundPlayer.h"

#include <QDialog>

class QComboBox;
class QSlider;

// File > Sound Output: the device and the volume of every sound. Test plays a
// sound through what the dialog shows, before anything is saved.
class SoundOutputDialog : public QDialog {
    Q_OBJECT
public:
    SoundOutputDialog(SoundPlayer& player, const SoundOutput& current, const QString& testFile,
                      QWidget* parent = nullptr);

    // The choice the dialog shows.
    SoundOutput output() const;

private:
    QComboBox* cboDevice_ = nullptr;
    QSlider* sldVolume_ = nullptr;
};
