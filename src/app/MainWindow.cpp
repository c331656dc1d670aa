#include "app/MainWindow.h"

#include "about/AboutBox.h"
#include "about/HelpWindow.h"
#include "platform/ChangeLabel.h"
#include "platform/DesktopEffects.h"
#include "platform/Dialogs.h"
#include "platform/Layout.h"
#include "platform/Platform.h"
#include "platform/ProgramInfo.h"
#include "platform/SoundPlayer.h"
#include "settings/Convert.h"
#include "settings/Keys.h"
#include "settings/OptionsDialog.h"
#include "timer/Notification.h"
#include "timer/TimeFormat.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString kCaption = QStringLiteral("Zorvu Weapon/Powerup Respawn Timer Beta (.1B)");

constexpr int kKeyS = 83;
constexpr int kKeyR = 82;
constexpr int kKeyD = 68;
constexpr qint16 kLargestHour = 32767;

template <class T, class Convert>
void readInto(T& field, const QString& key, Convert convert)
{
    if (const auto value = convert(readSetting(key)))
        field = *value;
}

void setColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

MainWindow::MainWindow(Platform& platform, QWidget* parent)
    : QMainWindow(parent), tmrGameTimer(1000), tmrDelayedStart(0), platform_(platform)
{
    buildWindow();
    buildMenus();
    connect(&tmrGameTimer, &DeadlineTimer::timeout, this, &MainWindow::tmrGameTimer_Timer);
    connect(&tmrDelayedStart, &DeadlineTimer::timeout, this, &MainWindow::tmrDelayedStart_Timer);
    Form_Load();
}

MainWindow::~MainWindow()
{
    if (keyPreview_)
        qApp->removeEventFilter(this);
    delete frmOptions_;
    delete frmAbout_;
    delete frmHelp_;
}

void MainWindow::buildWindow()
{
    setObjectName(QStringLiteral("frmZorvu"));
    setWindowTitle(kCaption);
    layout::fixedBorder(this);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(layout::px(7455), layout::px(9015));
    setCentralWidget(client);

    frameSelectMap_ = new QGroupBox(QStringLiteral("Select Map"), client);
    frameSelectMap_->setObjectName(QStringLiteral("frameSelectMap"));
    layout::place(frameSelectMap_, 240, 240, 5175, 1455);

    // The map buttons lie over the frame but belong to the window itself.
    static const int columnLeft[] = {480, 2040, 3360, 4440};
    static const int columnWidth[] = {1500, 1320, 1080, 960};
    static const int rowTop[] = {600, 840, 1080, 1320};
    for (int i = 0; i < respawn::kMaps; ++i) {
        auto* option = new QRadioButton(respawn::mapNames()[i], client);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        layout::place(option, columnLeft[i / 4], rowTop[i % 4], columnWidth[i / 4], 255);
        connect(option, &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        Option1_[i] = option;
    }
    Option1_[0]->setChecked(true);

    frmTimerOptions_ = new QGroupBox(QStringLiteral("Special Timers"), client);
    frmTimerOptions_->setObjectName(QStringLiteral("frmTimerOptions"));
    layout::place(frmTimerOptions_, 5520, 240, 1815, 1455);
    static const char* const specialCaptions[] = {"KOTH", "Oddball", "Neither of those"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(specialCaptions[i]), frmTimerOptions_);
        option->setObjectName(QStringLiteral("optSpecialTimer_%1").arg(i));
        layout::place(option, 120, 360 + 240 * i, 1635, 255);
        connect(option, &QRadioButton::clicked, this, [this, i] { optSpecialTimer_Click(i); });
        optSpecialTimer_[i] = option;
    }

    static const char* const rowNames[] = {"lblSniper", "lblRocket", "lblCamo", "lblOvershield"};
    static const char* const timeNames[] = {"lblSniperTime", "lblRocketTime", "lblCamoTime",
                                            "lblOvershieldTime"};
    static const char* const rowCaptions[] = {"Sniper Rifle:", "Rocket Launcher:",
                                              "Active Camoflage:", "Overshield:"};
    static const int rowWidths[] = {2955, 4245, 4365, 2730};
    static const QColor rowColours[] = {QColor(0, 0, 128), QColor(192, 0, 0), QColor(64, 64, 64),
                                        QColor(0, 128, 0)};
    for (int k = 0; k < respawn::kItems; ++k) {
        const int top = 1920 + 1200 * k;
        auto* caption = new QLabel(QString::fromLatin1(rowCaptions[k]), client);
        caption->setObjectName(QString::fromLatin1(rowNames[k]));
        caption->setFont(layout::tahoma(27.75));
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setColour(caption, rowColours[k]);
        layout::place(caption, 240, top, rowWidths[k], 675);

        auto* time = new QLabel(QStringLiteral("0:00"), client);
        time->setObjectName(QString::fromLatin1(timeNames[k]));
        time->setFont(layout::tahoma(48));
        time->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setColour(time, rowColours[k]);
        layout::place(time, 4920, top, 1920, 1155);
        itemTimeLabels_[k] = time;
    }

    auto* gameTimer = new QLabel(QStringLiteral("Game Timer:"), client);
    gameTimer->setObjectName(QStringLiteral("lblGameTimer"));
    gameTimer->setFont(layout::tahoma(18));
    layout::place(gameTimer, 1680, 6960, 2085, 435);

    struct ClockField {
        const char* name;
        const char* text;
        int left;
        int width;
    };
    static const ClockField fields[] = {{"lblHours", "00", 4005, 510},
                                        {"Label9", ":", 4560, 165},
                                        {"lblMinutes", "00", 4755, 510},
                                        {"Label10", ":", 5280, 165},
                                        {"lblSeconds", "00", 5520, 510}};
    std::array<ChangeLabel*, 5> clock{};
    for (int i = 0; i < 5; ++i) {
        auto* label = new ChangeLabel(QString::fromLatin1(fields[i].text), client);
        label->setObjectName(QString::fromLatin1(fields[i].name));
        label->setFont(layout::tahoma(24));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setColour(label, Qt::black);
        layout::place(label, fields[i].left, 6840, fields[i].width, 585);
        clock[i] = label;
    }
    lblHours_ = clock[0];
    lblMinutes_ = clock[2];
    lblSeconds_ = clock[4];
    connect(lblSeconds_, &ChangeLabel::changed, this, &MainWindow::lblSeconds_Change);

    auto button = [client](const char* name, const char* text, int left, int top) {
        auto* b = new QPushButton(QString::fromLatin1(text), client);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        layout::place(b, left, top, 2175, 735);
        return b;
    };
    cmdStart_ = button("cmdStart", "Start", 1680, 7440);
    cmdDelayedStart_ = button("cmdDelayedStart", "Delayed Start", 3840, 7440);
    cmdStop_ = button("cmdStop", "Stop", 1680, 8160);
    cmdReset_ = button("cmdReset", "Reset", 3840, 8160);
    connect(cmdStart_, &QPushButton::clicked, this, &MainWindow::cmdStart_Click);
    connect(cmdDelayedStart_, &QPushButton::clicked, this, &MainWindow::cmdDelayedStart_Click);
    connect(cmdStop_, &QPushButton::clicked, this, &MainWindow::cmdStop_Click);
    connect(cmdReset_, &QPushButton::clicked, this, &MainWindow::cmdReset_Click);

    tmrGameTimer.setObjectName(QStringLiteral("tmrGameTimer"));
    tmrDelayedStart.setObjectName(QStringLiteral("tmrDelayedStart"));
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* options = file->addAction(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    options->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(options, &QAction::triggered, this, &MainWindow::mnuOptions_Click);
    QAction* exit = file->addAction(QStringLiteral("&Exit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, &MainWindow::mnuExit_Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction* helpForm = help->addAction(QStringLiteral("&Help"));
    helpForm->setObjectName(QStringLiteral("mnuHelpForm"));
    connect(helpForm, &QAction::triggered, this, &MainWindow::mnuHelpForm_Click);
    QAction* about = help->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    connect(about, &QAction::triggered, this, &MainWindow::mnuAbout_Click);

    // The window keeps the size of its client area plus the menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

// ---------------------------------------------------------------- start-up

void MainWindow::Form_Load()
{
    iHours = 0;
    iMinutes = 0;
    iSeconds = 0;
    LoadTimes();
    Option1_Click(0);
    iNotificationTime = 15;
    iCurrentMap = 0;
    bSoundDevice = platform_.desktop.soundOutputCount() > 0;
    LoadNewSettings();
    special.iKothPeriod = 60;
    special.iKothCount = 60;
    special.iOddballPeriod = 30;
    special.iOddballCount = 30;
    special.bOddballPlayed = false;
    bSniperDue = bRocketDue = bCamoDue = bOvershieldDue = false;
    // Key preview: the window sees every key first, whichever of its controls has the focus.
    if (!keyPreview_) {
        qApp->installEventFilter(this);
        keyPreview_ = true;
    }
    bHotkeyStarted = false;
}

// ---------------------------------------------------------------- settings

void MainWindow::LoadNewSettings()
{
    readInto(bDisableHotkeys, keys::disableHotkeys, convert::toTruth);
    readInto(iNotificationTime, keys::time, convert::toWholeNumber);
    readInto(bDisableScreenSaver, keys::disableScreenSaver, convert::toTruth);
    readInto(bRespawnSound, keys::respawnSound, convert::toTruth);
    readInto(bAlwaysOnTop, keys::alwaysOnTop, convert::toTruth);
    sDefaultSoundFileName = readSetting(keys::defaultSoundFileName);
    readInto(bBoxType, keys::boxType, convert::toTruth);
    LoadTimes();
    if (bBoxType)
        respawn::applyBoxType(iTimes);
    EnableScreenSaver(!bDisableScreenSaver);
    platform_.desktop.setAlwaysOnTop(this, bAlwaysOnTop);
    readInto(iNotifySniper, keys::notifySniper, convert::toWholeNumber);
    readInto(iNotifyRocket, keys::notifyRocket, convert::toWholeNumber);
    readInto(iNotifyCamo, keys::notifyCamo, convert::toWholeNumber);
    readInto(iNotifyOvershield, keys::notifyOvershield, convert::toWholeNumber);
}

void MainWindow::LoadTimes()
{
    respawn::loadTimes(iTimes, iBaseTimes, program::iniPath());
}

bool MainWindow::EnableScreenSaver(bool bStatus)
{
    return platform_.desktop.enableScreenSaver(bStatus);
}

// ---------------------------------------------------------------- the clock

void MainWindow::tmrGameTimer_Timer()
{
    // The timer keeps its own deadlines, so the tick need not switch it off and on.
    if (!(iHours == kLargestHour && iMinutes == 59 && iSeconds == 59)) {
        if (++iSeconds == 60) {
            iSeconds = 0;
            ++iMinutes;
        }
        if (iMinutes == 60) {
            iMinutes = 0;
            ++iHours;
        }
    }
    lblHours_->setText(clockField(iHours));
    lblMinutes_->setText(clockField(iMinutes));
    lblSeconds_->setText(clockField(iSeconds)); // runs Countdown

    // The countdown step.
    respawn::countDown(iTimes, iCurrentMap);
    special.countDown(specialChoice());

    RecalcTimes();
}

void MainWindow::lblSeconds_Change()
{
    Countdown();
}

void MainWindow::Countdown()
{
    lblHours_->setText(clockField(iHours));
    lblMinutes_->setText(clockField(iMinutes));
    lblSeconds_->setText(clockField(iSeconds));
    PlaySounds();
}

void MainWindow::PlaySounds()
{
    if (!bSoundDevice)
        return;
    const GameModeTimers::Choice choice = specialChoice();
    if (const QString notice = special.notice(choice); !notice.isEmpty())
        play(notice);

    notification::Input input;
    input.times = iTimes[iCurrentMap];
    input.notify = {iNotifySniper, iNotifyRocket, iNotifyCamo, iNotifyOvershield};
    input.leadTime = iNotificationTime;
    input.respawnSound = bRespawnSound;
    const notification::Decision decision = notification::decide(input);
    bSniperDue = decision.due[respawn::Sniper];
    bRocketDue = decision.due[respawn::Rocket];
    bCamoDue = decision.due[respawn::Camo];
    bOvershieldDue = decision.due[respawn::Overshield];

    if (decision.playDefault)
        platform_.sound.play(sDefaultSoundFileName);
    else if (!decision.itemFile.isEmpty())
        play(decision.itemFile);
}

void MainWindow::play(const QString& relativeFile)
{
    platform_.sound.play(program::dataFolder() + QLatin1Char('/') + relativeFile);
}

void MainWindow::RecalcTimes()
{
    respawn::reloadExpired(iTimes, iBaseTimes, iCurrentMap);
    for (int k = 0; k < respawn::kItems; ++k)
        if (iTimes[iCurrentMap][k] != respawn::kAbsent)
            itemTimeLabels_[k]->setText(SetTimeFormat(iTimes[iCurrentMap][k]));
}

void MainWindow::cmdStart_Click()
{
    // Switching on a timer that already runs must not restart its interval.
    if (!tmrGameTimer.isActive())
        tmrGameTimer.start();
    cmdStart_->setEnabled(false);
    cmdReset_->setEnabled(false);
    cmdDelayedStart_->setEnabled(false);
}

void MainWindow::cmdStop_Click()
{
    tmrGameTimer.stop();
    cmdStart_->setEnabled(true);
    cmdReset_->setEnabled(true);
    cmdDelayedStart_->setEnabled(true);
}

void MainWindow::cmdReset_Click()
{
    tmrGameTimer.stop();
    iHours = 0;
    iMinutes = 0;
    iSeconds = 0;
    special.reset();
    cmdStart_->setEnabled(true);
    cmdStop_->setEnabled(true);
    cmdReset_->setEnabled(true);
    lblHours_->setText(QString());
    lblMinutes_->setText(QString());
    lblSeconds_->setText(QString()); // runs Countdown, which writes 00 : 00 : 00
    LoadNewSettings();
}

// ---------------------------------------------------------------- maps and special timers

void MainWindow::Option1_Click(int index)
{
    iCurrentMap = qint16(index);
    if (!Option1_[index]->isChecked())
        Option1_[index]->setChecked(true);
    cmdReset_Click();
    for (int k = 0; k < respawn::kItems; ++k)
        if (iTimes[index][k] != respawn::kAbsent)
            itemTimeLabels_[k]->setText(SetTimeFormat(iTimes[index][k]));
}

void MainWindow::optSpecialTimer_Click(int index)
{
    if (!optSpecialTimer_[index]->isChecked())
        optSpecialTimer_[index]->setChecked(true);
    special.choose(GameModeTimers::Choice(index));
}

GameModeTimers::Choice MainWindow::specialChoice() const
{
    for (int i = 0; i < 3; ++i)
        if (optSpecialTimer_[i]->isChecked())
            return GameModeTimers::Choice(i);
    return GameModeTimers::None;
}

// ---------------------------------------------------------------- delayed start

void MainWindow::cmdDelayedStart_Click()
{
    const QString text = platform_.dialogs.inputBox(
        this, QStringLiteral("Enter Number of Seconds to Delay Before Starting Game Timer"),
        QStringLiteral("Delayed Start"), QStringLiteral("30"));
    // A negative entry counts as no entry: its count would never reach zero.
    if (const auto seconds = convert::toWholeNumber(text); seconds && *seconds >= 0)
        iDelaySeconds = *seconds;
    if (iDelaySeconds != 0) {
        tmrDelayedStart.setInterval(1000);
        cmdDelayedStart_->setText(QString::number(iDelaySeconds));
        tmrDelayedStart.start();
    }
}

void MainWindow::tmrDelayedStart_Timer()
{
    cmdDelayedStart_->setText(QString::number(iDelaySeconds));
    if (iDelaySeconds != 0) {
        --iDelaySeconds;
        cmdDelayedStart_->setText(QString::number(iDelaySeconds));
    } else {
        cmdStart_Click();
        cmdDelayedStart_->setText(QStringLiteral("Delayed Start"));
        tmrDelayedStart.stop();
        cmdDelayedStart_->setEnabled(false);
    }
}

// ---------------------------------------------------------------- keys

void MainWindow::Form_KeyDown(int keyCode)
{
    if (bDisableHotkeys)
        return;
    switch (keyCode) {
    case kKeyS:
        if (!bHotkeyStarted) {
            cmdStart_Click();
            bHotkeyStarted = true;
        } else {
            cmdStop_Click();
            bHotkeyStarted = false;
        }
        break;
    case kKeyR:
        cmdStop_Click();
        cmdReset_Click();
        break;
    case kKeyD:
        cmdDelayedStart_Click();
        break;
    default:
        break;
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        QWidget* focus = QApplication::focusWidget();
        // A key event travels from the focus widget up to the window; look at it
        // once, where it starts.
        const bool first = widget == focus || (widget == this && (!focus || focus->window() != this));
        if (first && widget->window() == this) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            // Letters arrive as their upper-case codes whatever the modifiers,
            // which is what the hotkeys look at.
            if (key >= 0 && key <= 0xFFFF)
                Form_KeyDown(key);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- menus and closing

template <class W>
void MainWindow::showOnce(QPointer<W>& window, auto create)
{
    if (!window) {
        window = create();
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

OptionsDialog* MainWindow::optionsWindow() const
{
    return frmOptions_;
}

AboutBox* MainWindow::aboutWindow() const
{
    return frmAbout_;
}

HelpWindow* MainWindow::helpWindow() const
{
    return frmHelp_;
}

void MainWindow::mnuOptions_Click()
{
    showOnce(frmOptions_, [this] {
        auto* options = new OptionsDialog(platform_.dialogs);
        connect(options, &OptionsDialog::saved, this, &MainWindow::LoadNewSettings);
        return options;
    });
}

void MainWindow::mnuHelpForm_Click()
{
    showOnce(frmHelp_, [] { return new HelpWindow; });
}

void MainWindow::mnuAbout_Click()
{
    showOnce(frmAbout_, [this] {
        return new AboutBox(platform_.registry, platform_.launcher, platform_.dialogs);
    });
}

void MainWindow::mnuExit_Click()
{
    tmrGameTimer.stop();
    tmrDelayedStart.stop();
    delete frmOptions_;
    delete frmAbout_;
    delete frmHelp_;
    close();
    QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Unloading the window takes its timers with it.
    tmrGameTimer.stop();
    tmrDelayedStart.stop();
    event->accept();
}
