#include "app/SoundOutputDialog.h"

#include "app/SaveSettings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

SoundOutputDialog::SoundOutputDialog(SoundPlayer& player, Dialogs& dialogs,
                                     const SoundOutput& current, int calloutOffsetMs,
                                     const program::Files& files, QWidget* parent)
    : QDialog(parent), player_(player), dialogs_(dialogs), settingsFile_(files.settings)
{
    setWindowTitle(tr("Sound Output"));
    cboDevice_ = new QComboBox(this);
    cboDevice_->setObjectName(QStringLiteral("cboDevice"));
    cboDevice_->addItem(tr("System default"), QByteArray());
    for (const SoundDevice& device : player.devices())
        cboDevice_->addItem(device.description, device.id);
    // A device chosen before and unplugged now stays in the list, so that OK
    // for a new volume does not forget it.
    if (cboDevice_->findData(current.device) < 0)
        cboDevice_->addItem(tr("%1 (not connected)").arg(QString::fromUtf8(current.device)),
                            current.device);
    cboDevice_->setCurrentIndex(cboDevice_->findData(current.device));

    sldVolume_ = new QSlider(Qt::Horizontal, this);
    sldVolume_->setObjectName(QStringLiteral("sldVolume"));
    const setting::Key& volume = setting::of(&Settings::iVolume);
    sldVolume_->setRange(volume.low, volume.high);
    sldVolume_->setPageStep(10);
    auto* percent = new QLabel(this);
    percent->setMinimumWidth(percent->fontMetrics().horizontalAdvance(QStringLiteral("100 %")));
    connect(sldVolume_, &QSlider::valueChanged, percent,
            [percent](int value) { percent->setText(tr("%1 %").arg(value)); });
    sldVolume_->setValue(current.volume);
    percent->setText(tr("%1 %").arg(sldVolume_->value()));

    txtCalloutOffset_ = new QSpinBox(this);
    txtCalloutOffset_->setObjectName(QStringLiteral("txtCalloutOffset"));
    const setting::Key& offset = setting::of(&Settings::iCalloutOffset);
    txtCalloutOffset_->setRange(offset.low, offset.high);
    txtCalloutOffset_->setSingleStep(10);
    txtCalloutOffset_->setSuffix(tr(" ms"));
    txtCalloutOffset_->setValue(calloutOffsetMs);
    txtCalloutOffset_->setToolTip(tr("Plays this PC's callouts later (+) or earlier (-) than "
                                     "its clock's seconds: for a sound output that lags, or a "
                                     "team whose PCs should sound as one."));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* cmdTest = new QPushButton(tr("&Test"), this);
    cmdTest->setObjectName(QStringLiteral("cmdTest"));
    connect(cmdTest, &QPushButton::clicked, this,
            [this, test = files.data + QStringLiteral("/sounds/chime.wav")] {
                player_.playThrough(test, output());
            });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* volumeLabel = new QLabel(tr("&Volume:"), this);
    volumeLabel->setBuddy(sldVolume_);
    auto* volumeRow = new QHBoxLayout;
    volumeRow->addWidget(sldVolume_);
    volumeRow->addWidget(percent);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cmdTest);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto* form = new QFormLayout(this);
    form->addRow(tr("&Output device:"), cboDevice_);
    form->addRow(volumeLabel, volumeRow);
    form->addRow(tr("&Callout offset:"), txtCalloutOffset_);
    form->addRow(bottom);
}

SoundOutput SoundOutputDialog::output() const
{
    return {cboDevice_->currentData().toByteArray(), sldVolume_->value()};
}

int SoundOutputDialog::calloutOffset() const
{
    return txtCalloutOffset_->value();
}

void SoundOutputDialog::accept()
{
    const SoundOutput chosen = output();
    // Closing after a failed save would lose the choice without a word.
    if (!saveSettings(settingsFile_,
                      {{&Settings::sOutputDevice, QString::fromUtf8(chosen.device)},
                       {&Settings::iVolume, QString::number(chosen.volume)},
                       {&Settings::iCalloutOffset, QString::number(calloutOffset())}},
                      dialogs_, this, QStringLiteral("sound output")))
        return;
    player_.setOutput(chosen);
    QDialog::accept();
}
