#include "app/OptionsDialog.h"

#include "app/SaveSettings.h"
#include "gui/Layout.h"
#include "gui/OptionButton.h"
#include "gui/SettingCheckBox.h"
#include "settings/Convert.h"
#include "settings/Ini.h"
#include "settings/Settings.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <iterator>

OptionsDialog::OptionsDialog(Dialogs& dialogs, const program::Files& files, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), settingsFile_(files.settings)
{
    buildWindow();

    cmdlgBrowse_.title = QStringLiteral("Browse for sound file");
    cmdlgBrowse_.filter = QStringLiteral("Wav Files (*.wav)");
    cmdlgBrowse_.defaultSuffix = QStringLiteral("wav");
    // Among the sounds the program plays: a user's own sound usually goes beside them.
    cmdlgBrowse_.startFolder = files.data + QStringLiteral("/sounds");

    Form_Load();
    txtNotificationTime_->setFocus();
}

void OptionsDialog::buildWindow()
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    layout::fixedBorder(this);
    setFixedSize(layout::px(5055), layout::px(6390));

    using layout::make;
    Frame1_ = make<QGroupBox>(this, {"Frame1", "Notification Options", {120, 120, 4815, 3495}});
    make<QLabel>(Frame1_, {"Label1", "Notify me", {240, 360, 735, 255}});
    txtNotificationTime_ = make<QLineEdit>(Frame1_, {"txtNotificationTime", {}, {960, 360, 375, 285}});
    make<QLabel>(Frame1_,
                 {"Label2", "seconds before a powerup/weapon respawns", {1440, 360, 3255, 255}});
    const layout::Row respawn[] = {
        {"optRespawn_0", "Say item name on respawn", {960, 720, 2535, 255}},
        {"optRespawn_1", "Play default sound on respawn", {960, 960, 2535, 255}},
    };
    for (int i = 0; i < 2; ++i) {
        optRespawn_[i] = make<OptionButton>(Frame1_, respawn[i]);
        optRespawn_[i]->installEventFilter(this);
    }
    make<QLabel>(Frame1_, {"Label3", "Notify me on respawn of:", {240, 1320, 1815, 255}});
    static const char* const items[] = {"Sniper", "Rocket", "Invisibility", "Overshield"};
    for (int i = 0; i < 4; ++i)
        chkNotifyWeapons_[i] =
            make<SettingCheckBox>(Frame1_, {QStringLiteral("chkNotifyWeapons_%1").arg(i), items[i],
                                            {960, 1560 + 240 * i, 2295, 255}});
    chkVoiceRecognition_ =
        make<QCheckBox>(Frame1_, {"chkVoiceRecognition",
                                  "Enable voice recognition (requires extra files)",
                                  {240, 2640, 3495, 255}});
    Combo1_ = make<QComboBox>(Frame1_, {"Combo1", {}, {960, 3000, 2655, 315}});
    Combo1_->setEditable(true);
    Combo1_->setEditText(QStringLiteral("Available Voices"));
    cmdTest_ = make<QPushButton>(Frame1_, {"cmdTest", "Test", {3840, 3000, 735, 255}});
    connect(cmdTest_, &QPushButton::clicked, this, &OptionsDialog::cmdTest_Click);

    frmSounds_ = make<QGroupBox>(this, {"frmSounds", "Box Type", {120, 3720, 4815, 615}});
    optBoxType_[0] = make<OptionButton>(frmSounds_, {"optBoxType_0", "NTSC", {240, 240, 735, 255}});
    optBoxType_[1] = make<OptionButton>(frmSounds_, {"optBoxType_1", "PAL", {1440, 240, 615, 255}});

    Frame2_ = make<QGroupBox>(this, {"Frame2", "Miscellaneous Options", {120, 4440, 4815, 1215}});
    chkDisableScreensaver_ = make<SettingCheckBox>(
        Frame2_,
        {"chkDisableScreensaver", "Auto-disable windows screen saver", {240, 240, 2895, 255}});
    chkOnTop_ = make<SettingCheckBox>(
        Frame2_, {"chkOnTop", "Keep main program window on top", {240, 480, 2775, 255}});
    chkHotkeys_ = make<SettingCheckBox>(
        Frame2_, {"chkHotkeys", "Disable program hotkeys", {240, 720, 2055, 255}});

    Command1_ = make<QPushButton>(this, {"Command1", "OK", {360, 5880, 1935, 375}});
    Command2_ = make<QPushButton>(this, {"Command2", "Cancel", {2640, 5880, 1935, 375}});
    connect(Command1_, &QPushButton::clicked, this, &OptionsDialog::Command1_Click);
    connect(Command2_, &QPushButton::clicked, this, &OptionsDialog::Command2_Click);
    // No default button: Enter presses none.
    for (QPushButton* button : {cmdTest_, Command1_, Command2_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    QWidget* const tabOrder[] = {txtNotificationTime_, optRespawn_[0], optRespawn_[1],
                                 chkVoiceRecognition_, Combo1_, cmdTest_, optBoxType_[0],
                                 optBoxType_[1], chkDisableScreensaver_, chkOnTop_, chkHotkeys_,
                                 Command1_, Command2_, chkNotifyWeapons_[0],
                                 chkNotifyWeapons_[1], chkNotifyWeapons_[2],
                                 chkNotifyWeapons_[3]};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

// ---------------------------------------------------------------- opening

void OptionsDialog::Form_Load()
{
    // The same reader as the match's, from first-start values: a key missing or
    // unreadable shows as off (0), the sound file as empty. The table says where
    // the window shows a key by a rule of its own.
    const IniSnapshot ini(settingsFile_);
    Settings stored;
    stored.read(ini);

    // The voice controls are there for a feature that does not exist yet.
    chkVoiceRecognition_->setEnabled(false);
    Combo1_->setEnabled(false);
    cmdTest_->setEnabled(false);

    using setting::Shown;
    for (const setting::Key& key : setting::keys()) {
        const QString control = QLatin1String(key.control);
        // A truth value or whole number as the boxes and buttons take it.
        const int number = std::visit(
            [&](auto field) {
                if constexpr (std::is_same_v<decltype(field), QString Settings::*>)
                    return 0;
                else
                    return int(stored.*field);
            },
            key.field);
        switch (key.shown) {
        case Shown::Elsewhere:
            break;
        case Shown::AsTyped: // as stored, not as the number it reads as
            findChild<QLineEdit*>(control)->setText(
                ini.value(setting::section, QLatin1String(key.name)));
            break;
        case Shown::File:
            sSoundFile = stored.*std::get<QString Settings::*>(key.field);
            break;
        case Shown::CheckedAtOne:
            findChild<SettingCheckBox*>(control)->setValue(
                convert::toNumber(ini.value(setting::section, QLatin1String(key.name))) == 1.0);
            break;
        case Shown::Check:
        case Shown::ThreeState: // any number but 0, 1 and 2 leaves the box clear
            findChild<SettingCheckBox*>(control)->setValue(number);
            break;
        case Shown::Choice:
            findChild<OptionButton*>(control + QLatin1Char('_') + QString::number(number))
                ->setChecked(true);
            break;
        }
    }
    // The default sound is chosen but there is nothing to play: ask for a file.
    if (optRespawn_[1]->isChecked() && sSoundFile.isEmpty())
        optRespawn_DblClick(1);
}

// ---------------------------------------------------------------- the buttons

void OptionsDialog::Command1_Click()
{
    // Closing after a failed write would lose the user's changes without a word.
    if (!save())
        return;
    emit saved();
    close();
}

bool OptionsDialog::save()
{
    // Every key is written, changed or not; the text box goes out exactly as typed.
    // All go in one replace of the file: a failed save writes none of them, so the
    // next load never applies half of the user's changes.
    using setting::Shown;
    QList<std::pair<setting::Field, QString>> values;
    for (const setting::Key& key : setting::keys()) {
        const QString control = QLatin1String(key.control);
        QString text;
        switch (key.shown) {
        case Shown::Elsewhere:
            continue;
        case Shown::AsTyped:
            text = findChild<QLineEdit*>(control)->text();
            break;
        case Shown::File:
            text = sSoundFile;
            break;
        case Shown::CheckedAtOne:
        case Shown::Check:
        case Shown::ThreeState:
            text = QString::number(findChild<SettingCheckBox*>(control)->value());
            break;
        case Shown::Choice:
            text = findChild<OptionButton*>(control + QStringLiteral("_0"))->isChecked()
                       ? QStringLiteral("0")
                       : QStringLiteral("1");
            break;
        }
        values.append({key.field, text});
    }
    return saveSettings(settingsFile_, values, dialogs_, this, QStringLiteral("settings"),
                        QStringLiteral("\n\nYour changes are still in the Options window."));
}

void OptionsDialog::Command2_Click()
{
    close();
}

void OptionsDialog::cmdTest_Click() {}

// ---------------------------------------------------------------- the sound file

void OptionsDialog::optRespawn_DblClick(int index)
{
    if (index < 0 || index >= int(optRespawn_.size()))
        return;
    optRespawn_[index]->setChecked(true);
    if (index == 1)
        browseForSoundFile();
}

void OptionsDialog::browseForSoundFile()
{
    // Modal to this window alone, even before it first shows: the main window
    // and its keys go on working.
    if (const auto chosen = dialogs_.openFile(this, cmdlgBrowse_))
        cmdlgBrowse_.fileName = *chosen;
    // A cancelled browse leaves the dialog's last confirmed name, empty if there
    // was none, and that is what the window keeps.
    sSoundFile = cmdlgBrowse_.fileName;
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < int(optRespawn_.size()); ++i) {
            if (watched == optRespawn_[i]) {
                // Taken here, so the button does not stay pressed under the modal browse.
                optRespawn_DblClick(i);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
