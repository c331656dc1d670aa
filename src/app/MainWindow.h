#pragma once

#include "platform/DeadlineTimer.h"
#include "timer/RespawnTable.h"
#include "timer/GameModeTimers.h"

#include <QMainWindow>
#include <QPointer>
#include <array>

class AboutBox;
class ChangeLabel;
class HelpWindow;
class OptionsDialog;
class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
struct Platform;

// The main window: the map choice, the four respawn countdowns, the game clock
// and its buttons. It holds the whole state of a match.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- the state, public so that tests can look at it ---
    respawn::Table iTimes{};     // countdowns: seconds to each item's next respawn
    respawn::Table iBaseTimes{}; // respawn periods as read from the file
    qint16 iHours = 0;
    qint16 iMinutes = 0;
    qint16 iSeconds = 0;
    qint16 iCurrentMap = 0;
    bool bSoundDevice = false;
    qint16 iNotificationTime = 0;
    bool bSniperDue = false;
    bool bRocketDue = false;
    bool bCamoDue = false;
    bool bOvershieldDue = false;
    bool bHotkeyStarted = false;
    bool bDisableScreenSaver = false;
    bool bRespawnSound = false;
    bool bAlwaysOnTop = false;
    bool bDisableHotkeys = false;
    QString sDefaultSoundFileName;
    bool bBoxType = false;
    qint16 iDelaySeconds = 0;
    qint16 iNotifySniper = 0;
    qint16 iNotifyRocket = 0;
    qint16 iNotifyCamo = 0;
    qint16 iNotifyOvershield = 0;
    GameModeTimers special; // iKothPeriod, iKothCount, iOddballPeriod, iOddballCount, bOddballPlayed

    // --- routines ---
    void LoadNewSettings();
    void LoadTimes();
    void Countdown();
    void PlaySounds();
    void RecalcTimes();
    bool EnableScreenSaver(bool bStatus);

    // --- event routines ---
    void Form_Load();
    void Form_KeyDown(int keyCode);
    void Option1_Click(int index);
    void optSpecialTimer_Click(int index);
    void cmdStart_Click();
    void cmdStop_Click();
    void cmdReset_Click();
    void cmdDelayedStart_Click();
    void tmrGameTimer_Timer();
    void tmrDelayedStart_Timer();
    void lblSeconds_Change();
    void mnuOptions_Click();
    void mnuHelpForm_Click();
    void mnuAbout_Click();
    void mnuExit_Click();

    DeadlineTimer tmrGameTimer;
    DeadlineTimer tmrDelayedStart;

    // The windows opened from the menus, while they are open.
    OptionsDialog* optionsWindow() const;
    AboutBox* aboutWindow() const;
    HelpWindow* helpWindow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildMenus();
    GameModeTimers::Choice specialChoice() const;
    void play(const QString& relativeFile);
    template <class W> void showOnce(QPointer<W>& window, auto create);

    Platform& platform_;

    std::array<QRadioButton*, respawn::kMaps> Option1_{};
    std::array<QRadioButton*, 3> optSpecialTimer_{};
    std::array<QLabel*, respawn::kItems> itemTimeLabels_{};
    QGroupBox* frameSelectMap_ = nullptr;
    QGroupBox* frmTimerOptions_ = nullptr;
    ChangeLabel* lblHours_ = nullptr;
    ChangeLabel* lblMinutes_ = nullptr;
    ChangeLabel* lblSeconds_ = nullptr;
    QPushButton* cmdStart_ = nullptr;
    QPushButton* cmdDelayedStart_ = nullptr;
    QPushButton* cmdStop_ = nullptr;
    QPushButton* cmdReset_ = nullptr;

    QPointer<OptionsDialog> frmOptions_;
    QPointer<AboutBox> frmAbout_;
    QPointer<HelpWindow> frmHelp_;
    bool keyPreview_ = false;
};
