#include "app/MainWindow.h"

#include "about/AboutBox.h"
#include "about/HelpWindow.h"
#include "app/Commands.h"
#include "app/OptionsDialog.h"
#include "app/SaveSettings.h"
#include "app/SoundOutputDialog.h"
#include "app/TeamWindow.h"
#include "app/WebViewWindow.h"
#include "gui/Layout.h"
#include "platform/DesktopEffects.h"
#include "platform/Dialogs.h"
#include "platform/GlobalShortcuts.h"
#include "platform/Platform.h"
#include "platform/ProgramInfo.h"
#include "platform/SoundPlayer.h"
#include "settings/Convert.h"
#include "team/Team.h"
#include "timer/RunningMatch.h"
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
#include <QStatusBar>
#include <QTimer>
#include <utility>

namespace {

const QString kCaption = QStringLiteral("Zorvu Weapon/Powerup Respawn Timer Beta (.1B)");
constexpr int kTeamNoticeMs = 10000;

// A menu item that runs the routine when chosen.
template <class Routine>
QAction* addItem(QMenu* menu, const char* name, const QString& text, MainWindow* window,
                 Routine routine)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    QObject::connect(action, &QAction::triggered, window, routine);
    return action;
}

} // namespace

MainWindow::MainWindow(Platform& platform, RunningMatch& running, WebServer* web, Team* team,
                       QWidget* parent)
    : QMainWindow(parent), platform_(platform), running_(running), web_(web), team_(team)
{
    buildWindow();
    buildMenus();
    connect(&running_, &RunningMatch::changed, this, &MainWindow::showOutcome);
    GlobalShortcuts& shortcuts = platform_.shortcuts;
    connect(&shortcuts, &GlobalShortcuts::enabled, this,
            [this](const QString& note) { globalShortcuts_Answered(true, note); });
    connect(&shortcuts, &GlobalShortcuts::failed, this,
            [this](const QString& why) { globalShortcuts_Answered(false, why); });
    if (team_) {
        connect(team_, &Team::changed, this, &MainWindow::showTeam);
        connect(team_, &Team::notice, this, &MainWindow::teamNotice);
    }
    Form_Load();
}

MainWindow::~MainWindow()
{
    if (keyPreview_)
        qApp->removeEventFilter(this);
    delete frmOptions_;
    delete frmAbout_;
    delete frmHelp_;
    delete frmTeam_;
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

    using layout::make;
    frameSelectMap_ = make<QGroupBox>(client, {"frameSelectMap", "Select Map", {240, 240, 5175, 1455}});
    // The map buttons lie over the frame but belong to the window itself.
    static const int columnLeft[] = {480, 2040, 3360, 4440};
    static const int columnWidth[] = {1500, 1320, 1080, 960};
    for (int i = 0; i < respawn::kMaps; ++i) {
        Option1_[i] = make<QRadioButton>(client, {QStringLiteral("Option1_%1").arg(i),
                                                  respawn::mapNames()[i],
                                                  {columnLeft[i / 4], 600 + 240 * (i % 4),
                                                   columnWidth[i / 4], 255}});
        connect(Option1_[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
    }
    Option1_[0]->setChecked(true);

    frmTimerOptions_ =
        make<QGroupBox>(client, {"frmTimerOptions", "Special Timers", {5520, 240, 1815, 1455}});
    static const char* const specialCaptions[] = {"KOTH", "Oddball", "Neither of those"};
    for (int i = 0; i < 3; ++i) {
        optSpecialTimer_[i] = make<QRadioButton>(
            frmTimerOptions_, {QStringLiteral("optSpecialTimer_%1").arg(i), specialCaptions[i],
                               {120, 360 + 240 * i, 1635, 255}});
        connect(optSpecialTimer_[i], &QRadioButton::clicked, this,
                [this, i] { optSpecialTimer_Click(i); });
    }

    // Each item's caption and its time, in the item's colour.
    const QColor colours[] = {QColor(0, 0, 128), QColor(192, 0, 0), QColor(64, 64, 64),
                              QColor(0, 128, 0)};
    const layout::Row items[] = {
        {"lblSniper", "Sniper Rifle:", {240, 1920, 2955, 675}},
        {"lblRocket", "Rocket Launcher:", {240, 3120, 4245, 675}},
        {"lblCamo", "Active Camoflage:", {240, 4320, 4365, 675}},
        {"lblOvershield", "Overshield:", {240, 5520, 2730, 675}},
    };
    for (int k = 0; k < respawn::kItems; ++k) {
        layout::Row caption = items[k];
        caption.font = layout::tahoma(27.75);
        caption.colour = colours[k];
        make<QLabel>(client, caption);
        itemTimeLabels_[k] = make<QLabel>(
            client, {items[k].name + QStringLiteral("Time"), "0:00",
                     {4920, items[k].rect.top, 1920, 1155}, layout::tahoma(48), colours[k]});
    }

    make<QLabel>(client, {"lblGameTimer", "Game Timer:", {1680, 6960, 2085, 435}, layout::tahoma(18)})
        ->setAlignment(Qt::AlignLeft | Qt::AlignVCenter); // centred in its height, unlike the others
    const QFont clockFont = layout::tahoma(24);
    lblHours_ = make<QLabel>(client, {"lblHours", "00", {4005, 6840, 510, 585}, clockFont, Qt::black});
    make<QLabel>(client, {"Label9", ":", {4560, 6840, 165, 585}, clockFont, Qt::black});
    lblMinutes_ =
        make<QLabel>(client, {"lblMinutes", "00", {4755, 6840, 510, 585}, clockFont, Qt::black});
    make<QLabel>(client, {"Label10", ":", {5280, 6840, 165, 585}, clockFont, Qt::black});
    lblSeconds_ =
        make<QLabel>(client, {"lblSeconds", "00", {5520, 6840, 510, 585}, clockFont, Qt::black});

    cmdStart_ = make<QPushButton>(client, {"cmdStart", "Start", {1680, 7440, 2175, 735}});
    cmdDelayedStart_ =
        make<QPushButton>(client, {"cmdDelayedStart", "Delayed Start", {3840, 7440, 2175, 735}});
    cmdStop_ = make<QPushButton>(client, {"cmdStop", "Stop", {1680, 8160, 2175, 735}});
    cmdReset_ = make<QPushButton>(client, {"cmdReset", "Reset", {3840, 8160, 2175, 735}});
    for (QPushButton* button : {cmdStart_, cmdDelayedStart_, cmdStop_, cmdReset_})
        button->setAutoDefault(false);
    connect(cmdStart_, &QPushButton::clicked, this, &MainWindow::cmdStart_Click);
    connect(cmdDelayedStart_, &QPushButton::clicked, this, &MainWindow::cmdDelayedStart_Click);
    connect(cmdStop_, &QPushButton::clicked, this, &MainWindow::cmdStop_Click);
    connect(cmdReset_, &QPushButton::clicked, this, &MainWindow::cmdReset_Click);
}

void MainWindow::buildMenus()
{
    auto menu = [this](const char* name, const char* text) {
        QMenu* m = menuBar()->addMenu(QString::fromLatin1(text));
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    QMenu* file = menu("mnuFile", "&File");
    addItem(file, "mnuOptions", QStringLiteral("&Options"), this, &MainWindow::mnuOptions_Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    addItem(file, "mnuSoundOutput", QStringLiteral("&Sound Output…"), this,
            &MainWindow::mnuSoundOutput_Click);
    if (web_)
        addItem(file, "mnuWebView", QStringLiteral("&Web View…"), this,
                &MainWindow::mnuWebView_Click);
    if (team_)
        addItem(file, "mnuTeam", QStringLiteral("&Team…"), this, &MainWindow::mnuTeam_Click);
    mnuGlobalShortcuts_ = addItem(file, "mnuGlobalShortcuts", QStringLiteral("&Global Shortcuts"),
                                  this, &MainWindow::mnuGlobalShortcuts_Click);
    mnuGlobalShortcuts_->setCheckable(true);
    addItem(file, "mnuExit", QStringLiteral("&Exit"), this, &MainWindow::mnuExit_Click);

    // The keys are handled with the other hotkeys, so the menu only names them.
    QMenu* clock = menu("mnuClock", "&Clock");
    for (const commands::Row& row : commands::table())
        for (const commands::Trigger& trigger : row.triggers)
            if (trigger.menuItem)
                addItem(clock, trigger.menuItem,
                        QLatin1String(trigger.menuText) + QLatin1Char('\t') +
                            QKeySequence(trigger.keys[0]).toString(QKeySequence::NativeText),
                        this, [this, command = commands::Command{row.verb, trigger.value, {}}] {
                            commands::run(running_, command);
                        });

    QMenu* help = menu("mnuHelp", "&Help");
    addItem(help, "mnuHelpForm", QStringLiteral("&Help"), this, &MainWindow::mnuHelpForm_Click);
    addItem(help, "mnuAbout", QStringLiteral("&About"), this, &MainWindow::mnuAbout_Click);

    // The window keeps the size of its client area plus the menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

// ---------------------------------------------------------------- start-up

void MainWindow::Form_Load()
{
    // The sound-device check waits until the window is shown, unless a sound is
    // due before then.
    running_.load([this] { return platform_.desktop.soundOutputCount() > 0; });
    QTimer::singleShot(0, this, [this] { running_.checkSoundDevice(); });
    if (running_.match().settings.bGlobalShortcuts)
        platform_.shortcuts.enable();
    // Key preview: the window sees every key first, whichever of its controls has the focus.
    if (!keyPreview_) {
        qApp->installEventFilter(this);
        keyPreview_ = true;
    }
}

// ---------------------------------------------------------------- showing the match

void MainWindow::showOutcome(const Outcome& outcome)
{
    const Match& m = running_.match();
    for (int i = 0; i < outcome.loads; ++i) {
        EnableScreenSaver(!m.settings.bDisableScreenSaver);
        platform_.desktop.setAlwaysOnTop(this, m.settings.bAlwaysOnTop);
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
}

bool MainWindow::EnableScreenSaver(bool bStatus)
{
    return platform_.desktop.enableScreenSaver(bStatus);
}

// ---------------------------------------------------------------- the clock

void MainWindow::cmdStart_Click()
{
    running_.start();
}

void MainWindow::cmdStop_Click()
{
    running_.stop();
}

void MainWindow::cmdReset_Click()
{
    running_.reset();
}

void MainWindow::Option1_Click(int index)
{
    running_.chooseMap(index);
}

void MainWindow::optSpecialTimer_Click(int index)
{
    running_.chooseSpecial(GameModeTimers::Choice(index));
}

// ---------------------------------------------------------------- delayed start

void MainWindow::cmdDelayedStart_Click()
{
    const QString text = platform_.dialogs.inputBox(
        this, QStringLiteral("Enter Number of Seconds to Delay Before Starting Game Timer"),
        QStringLiteral("Delayed Start"), QStringLiteral("30"));
    running_.delayedStart(convert::toWholeNumber(text));
}

// ---------------------------------------------------------------- keys

bool MainWindow::Form_KeyDown(int keyCode, bool autoRepeat)
{
    if (running_.match().settings.bDisableHotkeys)
        return false;
    const auto command = commands::forKey(keyCode);
    if (!command)
        return false;
    // A key held down acts once: its repeats are taken and do nothing.
    if (autoRepeat)
        return true;
    if (command->value == commands::kAsked)
        cmdDelayedStart_Click();
    else
        commands::run(running_, *command);
    return true;
}

// ---------------------------------------------------------------- global shortcuts

void MainWindow::mnuGlobalShortcuts_Click(bool checked)
{
    // The item shows what is in force: it is checked once the desktop has said yes.
    mnuGlobalShortcuts_->setChecked(false);
    if (checked) {
        shortcutsAskedByUser_ = true;
        platform_.shortcuts.enable();
        return;
    }
    platform_.shortcuts.disable();
    globalShortcuts_Answered(false, {});
}

void MainWindow::globalShortcuts_Answered(bool on, const QString& note)
{
    mnuGlobalShortcuts_->setChecked(on);
    const bool asked = std::exchange(shortcutsAskedByUser_, false);
    const bool refused = !on && !note.isEmpty();
    if (!note.isEmpty() && asked)
        platform_.dialogs.messageBox(
            this, refused ? QStringLiteral("Global shortcuts cannot be turned on.\n\n") + note : note,
            program::title);
    else if (!note.isEmpty())
        qWarning("Global shortcuts: %s", qPrintable(note));
    // A refusal leaves the setting as it is: at start-up, the desktop may offer
    // them next time.
    if (refused || running_.match().settings.bGlobalShortcuts == on)
        return;
    saveSettings(running_.files().settings,
                 {{&Settings::bGlobalShortcuts, QString::number(int(on))}}, platform_.dialogs,
                 this, QStringLiteral("setting"));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::KeyPress;
    if ((press || event->type() == QEvent::KeyRelease) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        // A key held down repeats as a release and a press of the same moment, which
        // Qt does not always mark as a repeat when the two arrive apart.
        if (!press) {
            keyReleasedAt_[key->key()] = key->timestamp();
            return QMainWindow::eventFilter(watched, event);
        }
        const bool repeat =
            key->isAutoRepeat() ||
            (key->timestamp() != 0 && keyReleasedAt_.value(key->key()) == key->timestamp());
        // Letters arrive as their upper-case codes whatever the modifiers, which
        // is what the hotkeys look at. A hotkey is taken where the press starts
        // (the focus widget, or the window when nothing has the focus) and goes
        // no further: otherwise, when a nested event loop (the Delayed Start box)
        // has moved the focus away, it would reach the window as a new press.
        if (key->key() >= 0 && key->key() <= 0xFFFF && Form_KeyDown(key->key(), repeat)) {
            key->accept();
            return true;
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

TeamWindow* MainWindow::teamWindow() const
{
    return frmTeam_;
}

void MainWindow::mnuOptions_Click()
{
    showOnce(frmOptions_, [this] {
        auto* options = new OptionsDialog(platform_.dialogs, running_.files());
        connect(options, &OptionsDialog::saved, &running_, &RunningMatch::reloadSettings);
        return options;
    });
}

void MainWindow::mnuSoundOutput_Click()
{
    // The match reads the file at its next load; the dialog shows what it holds now.
    Settings now = running_.match().settings;
    now.read(running_.files().settings);
    SoundOutputDialog dialog(platform_.sound, platform_.dialogs,
                             {now.sOutputDevice.toUtf8(), now.iVolume}, now.iCalloutOffset,
                             running_.files(), this);
    if (dialog.exec() == QDialog::Accepted)
        running_.setCalloutOffset(dialog.calloutOffset());
}

void MainWindow::mnuWebView_Click()
{
    showOnce(frmWebView_, [this] {
        return new WebViewWindow(*web_, platform_.dialogs, running_.files().settings);
    });
}

void MainWindow::mnuTeam_Click()
{
    showOnce(frmTeam_, [this] {
        auto* window = new TeamWindow(*team_, platform_.dialogs, running_.files().settings);
        team::Discovery& found = team_->discovery();
        const auto show = [window, &found] {
            window->setLeaders(found.leaders());
            window->setDiscoveryNote(found.note());
        };
        connect(&found, &team::Discovery::changed, window, show);
        show();
        return window;
    });
}

void MainWindow::showTeam()
{
    const QString summary = TeamWindow::summary(*team_);
    if (!lblTeam_ && summary.isEmpty())
        return;
    if (!lblTeam_) {
        lblTeam_ = new QLabel(this);
        lblTeam_->setObjectName(QStringLiteral("lblTeam"));
        statusBar()->setSizeGripEnabled(false);
        statusBar()->addWidget(lblTeam_, 1);
    }
    lblTeam_->setText(summary);
    statusBar()->setVisible(!summary.isEmpty());
}

// The Team window shows it while open. Else a refusal that has ended following
// (a wrong code, another version) needs the user: a message box, once the network's
// signal has returned. What passes (a command refused, the leader gone and tried
// again) shows for a while in the status bar, where a box would take the keys
// mid-match.
void MainWindow::teamNotice(const QString& message)
{
    if (frmTeam_ && frmTeam_->isVisible())
        return;
    if (team_->role() == Team::Role::None) {
        QTimer::singleShot(0, this, [this, message] {
            platform_.dialogs.messageBox(this, message, program::title);
        });
        return;
    }
    showTeam();
    statusBar()->showMessage(message, kTeamNoticeMs);
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
    running_.halt();
    delete frmOptions_;
    delete frmAbout_;
    delete frmHelp_;
    close();
    QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Unloading the window takes the clock's timers with it.
    running_.halt();
    event->accept();
}
