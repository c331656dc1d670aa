#pragma once

#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A check box with the three states of the settings file: clear 0, checked 1,
// greyed 2. Greyed is shown only when the file says so; a click moves the box
// between clear and checked, and from greyed to clear.
class SettingCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit SettingCheckBox(const QString& text, QWidget* parent = nullptr);

    // The state as the settings file stores it.
    int value() const;
    // Takes a stored state; anything but 0, 1 or 2 is refused and the box stays
    // as it was. Returns whether the state was taken.
    bool setValue(int state);

protected:
    void nextCheckState() override;
    // The whole box answers a click, not only its square and caption.
    bool hitButton(const QPoint& pos) const override;
};

// An option button that answers a click anywhere in its box. Tab enters its
// group at the selected button.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(const QString& text, QWidget* parent = nullptr);

protected:
    bool hitButton(const QPoint& pos) const override;
};

// The Options window: shows the settings of times.ini, writes them back on OK.
class OptionsDialog : public QWidget {
    Q_OBJECT
public:
    explicit OptionsDialog(Dialogs& dialogs, QWidget* parent = nullptr);

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
