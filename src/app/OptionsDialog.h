#pragma once

#include "platform/Dialogs.h"
#include "platform/ProgramInfo.h"

#include <QWidget>
#include <array>

class OptionButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SettingCheckBox;

// The Options window: shows the settings of the settings file, writes them back
// on OK. Which keys it shows, and how, the settings table says.
class OptionsDialog : public QWidget {
    Q_OBJECT
public:
    OptionsDialog(Dialogs& dialogs, const program::Files& files, QWidget* parent = nullptr);

    // The default notification sound file while the window is open.
    QString sSoundFile;

    // --- event routines ---
    void Command1_Click(); // OK
    void Command2_Click(); // Cancel
    void optRespawn_DblClick(int index);
    void cmdTest_Click();

signals:
    // OK wrote every setting: the main window applies them.
    void saved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void Form_Load();
    void browseForSoundFile();
    bool save();

    Dialogs& dialogs_;
    QString settingsFile_;
    // The open-file dialog's setup; its fileName is the last confirmed choice.
    OpenFileRequest cmdlgBrowse_;

    QGroupBox* Frame1_ = nullptr;
    QLineEdit* txtNotificationTime_ = nullptr;
    std::array<OptionButton*, 2> optRespawn_{};
    std::array<SettingCheckBox*, 4> chkNotifyWeapons_{};
    QCheckBox* chkVoiceRecognition_ = nullptr;
    QComboBox* Combo1_ = nullptr;
    QPushButton* cmdTest_ = nullptr;
    QGroupBox* frmSounds_ = nullptr;
    std::array<OptionButton*, 2> optBoxType_{};
    QGroupBox* Frame2_ = nullptr;
    SettingCheckBox* chkDisableScreensaver_ = nullptr;
    SettingCheckBox* chkOnTop_ = nullptr;
    SettingCheckBox* chkHotkeys_ = nullptr;
    QPushButton* Command1_ = nullptr;
    QPushButton* Command2_ = nullptr;
};
