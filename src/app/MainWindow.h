#pragma once

#include "platform/DeadlineTimer.h"
#include "timer/Match.h"

#include <QMainWindow>
#include <QPointer>
#include <array>

class AboutBox;
class HelpWindow;
class OptionsDialog;
class QAction;
enum class ShortcutAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
struct Platform;

// The main window: the map choice, the four respawn countdowns, the game clock
// and its buttons. A view over the match: its event routines hand commands to
// the match and show what they changed; the two timers drive the match's ticks.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    const Match& match() const { return match_; }
    // Shows what a command of the match changed, plays its sounds and runs
    // the timers as the match says.
    void present(const Outcome& outcome);
    // A command from a driver outside the window (the command line, the bus),
    // on the same road as the window's own: the match, then present().
    template <class Command> void command(Command&& command) { present(command(match_)); }

    bool EnableScreenSaver(bool bStatus);

    // --- event routines ---
    void Form_Load();
    // Returns whether the key was a hotkey and acted.
    bool Form_KeyDown(int keyCode);
    void Option1_Click(int index);
    void optSpecialTimer_Click(int index);
    void cmdStart_Click();
    void cmdStop_Click();
    void cmdReset_Click();
    void cmdDelayedStart_Click();
    void tmrGameTimer_Timer();
    void tmrDelayedStart_Timer();
    void mnuSync_Click();
    void mnuNudgeForward_Click();
    void mnuNudgeBack_Click();
    void mnuOptions_Click();
    void mnuSoundOutput_Click();
    void mnuGlobalShortcuts_Click(bool checked);
    void mnuHelpForm_Click();
    void mnuAbout_Click();
    void mnuExit_Click();

    // The windows opened from the menus, while they are open.
    OptionsDialog* optionsWindow() const;
    AboutBox* aboutWindow() const;
    HelpWindow* helpWindow() const;

signals:
    // After each outcome has been shown.
    void presented(const Outcome& outcome);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildMenus();
    template <class W> void showOnce(QPointer<W>& window, auto create);
    // What the hotkeys do, whether disablehotkeys is on or not: the global
    // shortcuts, which have a switch of their own, do the same.
    bool hotkey(int keyCode);
    void globalShortcut_Activated(ShortcutAction action);
    // note: a refusal's reason, or what the user should know of shortcuts that work.
    void globalShortcuts_Answered(bool on, const QString& note);

    Platform& platform_;
    Match match_;
    DeadlineTimer tmrGameTimer;
    DeadlineTimer tmrDelayedStart;

    std::array<QRadioButton*, respawn::kMaps> Option1_{};
    std::array<QRadioButton*, 3> optSpecialTimer_{};
    std::array<QLabel*, respawn::kItems> itemTimeLabels_{};
    QGroupBox* frameSelectMap_ = nullptr;
    QGroupBox* frmTimerOptions_ = nullptr;
    QLabel* lblHours_ = nullptr;
    QLabel* lblMinutes_ = nullptr;
    QLabel* lblSeconds_ = nullptr;
    QPushButton* cmdStart_ = nullptr;
    QPushButton* cmdDelayedStart_ = nullptr;
    QPushButton* cmdStop_ = nullptr;
    QPushButton* cmdReset_ = nullptr;

    QAction* mnuGlobalShortcuts_ = nullptr;
    bool shortcutsAskedByUser_ = false; // not by the setting at start-up

    QPointer<OptionsDialog> frmOptions_;
    QPointer<AboutBox> frmAbout_;
    QPointer<HelpWindow> frmHelp_;
    bool keyPreview_ = false;
};
