#pragma once

#include "timer/RespawnTable.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <array>

class AboutBox;
class HelpWindow;
class OptionsDialog;
class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
struct Platform;
class RunningMatch;
class Team;
class TeamWindow;
class WebServer;
struct Outcome;

// The main window: the map choice, the four respawn countdowns, the game clock
// and its buttons. A view of the running match: its clicks, keys and menu items
// give the match commands, and it shows what they changed.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // web: the web view that File > Web View turns on; team: the team that File >
    // Team leads or follows; none, no such item.
    MainWindow(Platform& platform, RunningMatch& running, WebServer* web = nullptr,
               Team* team = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    bool EnableScreenSaver(bool bStatus);

    // --- event routines ---
    void Form_Load();
    // Returns whether the key was a hotkey, and so taken; a repeat of a key held
    // down is taken and does nothing.
    bool Form_KeyDown(int keyCode, bool autoRepeat = false);
    void Option1_Click(int index);
    void optSpecialTimer_Click(int index);
    void cmdStart_Click();
    void cmdStop_Click();
    void cmdReset_Click();
    void cmdDelayedStart_Click();
    void mnuOptions_Click();
    void mnuSoundOutput_Click();
    void mnuWebView_Click();
    void mnuTeam_Click();
    void mnuGlobalShortcuts_Click(bool checked);
    void mnuHelpForm_Click();
    void mnuAbout_Click();
    void mnuExit_Click();

    // The windows opened from the menus, while they are open.
    OptionsDialog* optionsWindow() const;
    AboutBox* aboutWindow() const;
    HelpWindow* helpWindow() const;
    TeamWindow* teamWindow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildMenus();
    // Shows what a command or tick of the match changed.
    void showOutcome(const Outcome& outcome);
    template <class W> void showOnce(QPointer<W>& window, auto create);
    // note: a refusal's reason, or what the user should know of shortcuts that work.
    void globalShortcuts_Answered(bool on, const QString& note);
    // The team's state in the status bar, which shows only in a team.
    void showTeam();
    void teamNotice(const QString& message);

    Platform& platform_;
    RunningMatch& running_;

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
    WebServer* web_;
    QPointer<QWidget> frmWebView_;
    Team* team_;
    QPointer<TeamWindow> frmTeam_;
    QLabel* lblTeam_ = nullptr;
    bool keyPreview_ = false;
    QHash<int, quint64> keyReleasedAt_; // each key's last release, in the window system's ms
};
