#include "app/MainWindow.h"

#include "app/SoundOutputDialog.h"
#include "about/AboutBox.h"
#include "about/HelpWindow.h"
#include "platform/DesktopEffects.h"
#include "platform/Dialogs.h"
#include "platform/Layout.h"
#include "platform/Platform.h"
#include "platform/ProgramInfo.h"
#include "platform/SoundPlayer.h"
#include "settings/Convert.h"
#include "settings/OptionsDialog.h"
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

void setColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

SoundOutput soundOutput(const Settings& settings)
{
    return {settings.sOutputDevice.toUtf8(), settings.iVolume};
}

} // namespace

MainWindow::MainWindow(Platform& platform, QWidget* parent)
    : QMainWindow(parent), platform_(platform), tmrGameTimer(1000, platform.clocks.make()),
      tmrDelayedStart(1000, platform.clocks.make())
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
    std::array<QLabel*, 5> clock{};
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(QString::fromLatin1(fields[i].text), client);
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
    QAction* soundOutput = file->addAction(QStringLiteral("Sound &Output…"));
    soundOutput->setObjectName(QStringLiteral("mnuSoundOutput"));
    connect(soundOutput, &QAction::triggered, this, &MainWindow::mnuSoundOutput_Click);
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
    present(match_.load(platform_.desktop.soundOutputCount() > 0));
    // Key preview: the window sees every key first, whichever of its controls has the focus.
    if (!keyPreview_) {
        qApp->installEventFilter(this);
        keyPreview_ = true;
    }
}

// ---------------------------------------------------------------- showing the match

void MainWindow::present(const Outcome& outcome)
{
    const Match& m = match_;
    for (int i = 0; i < outcome.loads; ++i) {
        EnableScreenSaver(!m.settings.bDisableScreenSaver);
        platform_.desktop.setAlwaysOnTop(this, m.settings.bAlwaysOnTop);
        platform_.sound.setOutput(soundOutput(m.settings));
    }
    if (outcome.changed & Outcome::Clock) {
        lblHours_->setText(clockField(m.iHours));
        lblMinutes_->setText(clockField(m.iMinutes));
        lblSeconds_->setText(clockField(m.iSeconds));
    }
    if (outcome.changed & Outcome::ItemTimes) {
        // An item the map does not have keeps whatever its row showed.
        for (int k = 0; k < respawn::kItems; ++k)
            if (m.iTimes[m.iCurrentMap][k] != respawn::kAbsent)
                itemTimeLabels_[k]->setText(SetTimeFormat(m.iTimes[m.iCurrentMap][k]));
    }
    if (outcome.changed & Outcome::Controls) {
        cmdStart_->setEnabled(m.enabled.start);
        cmdStop_->setEnabled(m.enabled.stop);
        cmdReset_->setEnabled(m.enabled.reset);
        cmdDelayedStart_->setEnabled(m.enabled.delayedStart);
        cmdDelayedStart_->setText(m.delayCaption ? QString::number(*m.delayCaption)
                                                 : QStringLiteral("Delayed Start"));
        Option1_[m.iCurrentMap]->setChecked(true);
        if (m.specialChoice != GameModeTimers::None)
            optSpecialTimer_[m.specialChoice]->setChecked(true);
    }
    // Switching on a timer that already runs would restart its interval.
    if (m.bClockRunning != tmrGameTimer.isActive())
        m.bClockRunning ? tmrGameTimer.start() : tmrGameTimer.stop();
    if (outcome.changed & Outcome::DelayRestarted)
        tmrDelayedStart.start();
    else if (!m.bDelayCounting)
        tmrDelayedStart.stop();
    for (const QString& file : outcome.sounds)
        platform_.sound.play(file);
    emit presented(outcome);
}

bool MainWindow::EnableScreenSaver(bool bStatus)
{
    return platform_.desktop.enableScreenSaver(bStatus);
}

// ---------------------------------------------------------------- the clock

void MainWindow::tmrGameTimer_Timer()
{
    // The timer keeps its own deadlines, so the tick need not switch it off and on.
    present(match_.tick());
}

void MainWindow::cmdStart_Click()
{
    present(match_.start());
}

void MainWindow::cmdStop_Click()
{
    present(match_.stop());
}

void MainWindow::cmdReset_Click()
{
    present(match_.reset());
}

void MainWindow::Option1_Click(int index)
{
    present(match_.chooseMap(index));
}

void MainWindow::optSpecialTimer_Click(int index)
{
    present(match_.chooseSpecial(GameModeTimers::Choice(index)));
}

// ---------------------------------------------------------------- delayed start

void MainWindow::cmdDelayedStart_Click()
{
    const QString text = platform_.dialogs.inputBox(
        this, QStringLiteral("Enter Number of Seconds to Delay Before Starting Game Timer"),
        QStringLiteral("Delayed Start"), QStringLiteral("30"));
    present(match_.delayedStart(convert::toWholeNumber(text)));
}

void MainWindow::tmrDelayedStart_Timer()
{
    present(match_.delayTick());
}

// ---------------------------------------------------------------- keys

void MainWindow::Form_KeyDown(int keyCode)
{
    if (match_.settings.bDisableHotkeys)
        return;
    switch (keyCode) {
    case Qt::Key_S:
        present(match_.toggle());
        break;
    case Qt::Key_R: {
        Outcome outcome = match_.stop();
        outcome += match_.reset();
        present(outcome);
        break;
    }
    case Qt::Key_D:
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
        connect(options, &OptionsDialog::saved, this,
                [this] { present(match_.LoadNewSettings()); });
        return options;
    });
}

void MainWindow::mnuSoundOutput_Click()
{
    // The match reads the file at its next load; the dialog shows what it holds now.
    Settings now = match_.settings;
    now.read(program::iniPath());
    SoundOutputDialog(platform_.sound, platform_.dialogs, soundOutput(now),
                      program::dataFolder() + QStringLiteral("/sounds/chime.wav"), this)
        .exec();
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
