// The main window's wiring: each control, key, menu item and global shortcut
// reaches its command, and the window shows the match after it. The running
// match is tested on its own; here its timers run on a clock moved by hand.

#include "about/AboutBox.h"
#include "about/HelpWindow.h"
#include "app/Commands.h"
#include "app/MainWindow.h"
#include "app/OptionsDialog.h"
#include "gui/DeferredIconStyle.h"
#include "settings/Ini.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"
#include "timer/RunningMatch.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

const QByteArray kIni = QByteArray(kShortPeriodsIni).replace("[0]", "alwaysontop=1\n[0]");

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.writeIni(kIni)); }

    void open()
    {
        running = std::make_unique<RunningMatch>(dir.files(), fake.clocks, fake.sound);
        commands::takeShortcuts(fake.shortcuts, *running);
        window = std::make_unique<MainWindow>(fake.platform, *running);
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    // Runs space-separated steps: an objectName triggers that menu item or clicks
    // that button; a key sequence ("S", "Shift+S", "Num++") is pressed on a map
    // button; "#N" answers the next input box with N; "@MS" runs the clock to MS;
    // "^ID" is the global shortcut of that id pressed.
    void act(const QString& steps)
    {
        for (const QString& s : steps.split(' ', Qt::SkipEmptyParts)) {
            if (s[0] == '^') {
                for (const ShortcutBinding& b : shortcutBindings)
                    if (s.mid(1) == QLatin1String(b.id))
                        emit fake.shortcuts.activated(b.action);
            } else if (s[0] == '#')
                fake.dialogs.inputAnswers << s.mid(1);
            else if (s[0] == '@')
                fake.clocks.runTo(s.mid(1).toInt());
            else if (auto* item = window->findChild<QAction*>(s))
                item->trigger();
            else if (auto* button = window->findChild<QAbstractButton*>(s))
                button->click();
            else
                QTest::keySequence(window->findChild<QWidget*>("Option1_3"), QKeySequence(s));
        }
    }
    // Clock, item rows, Start Stop Reset Delayed Start enabled, and the last
    // button's caption when it is not its own name (the delay's count).
    QString shown() const
    {
        QString out;
        for (const char* name : {"lblHours", ":", "lblMinutes", ":", "lblSeconds", " ",
                                 "lblSniperTime", " ", "lblRocketTime", " ", "lblCamoTime", " ",
                                 "lblOvershieldTime", " "})
            out += name[1] ? window->findChild<QLabel*>(name)->text() : name;
        for (const char* name : {"cmdStart", "cmdStop", "cmdReset", "cmdDelayedStart"})
            out += window->findChild<QPushButton*>(name)->isEnabled() ? '1' : '0';
        const QString caption = window->findChild<QPushButton*>("cmdDelayedStart")->text();
        return caption == "Delayed Start" ? out : out + ' ' + caption;
    }
    // The sounds played since the last call, by name.
    QString played()
    {
        return std::exchange(fake.sound.played, {}).join(' ').remove(dir.path() + "/sounds/")
            .remove(".wav");
    }

    // Each row: what the user does, until when the clock then runs, what the window
    // shows and which sounds were played meanwhile.
    using Row = std::tuple<const char*, const char*, const char*>;
    void check(std::initializer_list<Row> rows)
    {
        open();
        for (const auto& [steps, shows, sounds] : rows) {
            SCOPED_TRACE(steps);
            act(steps);
            EXPECT_EQ(shown(), shows);
            EXPECT_EQ(played(), sounds);
        }
    }

    TempProgramFolder dir;
    FakePlatform fake;
    std::unique_ptr<RunningMatch> running;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, ControlsAndKeysDriveTheMatch)
{
    check({
        {"@5000", "00:00:00 0:10 0:06 0:00 0:04 1111", ""},
        {"cmdStart X Q @7500", "00:00:02 0:08 0:04 0:00 0:02 0100", "o"},
        // S after the mouse started the clock starts it again, keeping the tick phase:
        // the next tick at 8000, not 8500.
        {"S @8100", "00:00:03 0:07 0:03 0:00 0:01 0100", "r"},
        {"Shift+S @9100", "00:00:03 0:07 0:03 0:00 0:01 1111", ""},
        {"S @10100", "00:00:04 0:06 0:02 0:00 0:04 0100", "o"},
        {"cmdStop @12100", "00:00:04 0:06 0:02 0:00 0:04 1111", ""},
        {"cmdReset @13100", "00:00:00 0:06 0:02 0:00 0:04 1111", "o o"},
        {"Option1_2 cmdStart R optSpecialTimer_0", "00:00:00 0:30 1:00 1:30 2:00 1111", ""},
        {"#1 D @14100", "00:00:00 0:30 1:00 1:30 2:00 1111 0", ""},
        {"@16100", "00:00:01 0:29 0:59 1:29 1:59 0100", ""},
        {"cmdStop #5 cmdDelayedStart @16600", "00:00:01 0:29 0:59 1:29 1:59 1111 5", ""},
        // A new entry counts its first second from the entry.
        {"#3 D @17500", "00:00:01 0:29 0:59 1:29 1:59 1111 3", ""},
    });
    EXPECT_EQ(fake.dialogs.inputs, 3);
    EXPECT_EQ(running->match().specialChoice, GameModeTimers::Koth);
    // Two loads at start-up and one for each Reset, each applying the settings' effects.
    EXPECT_EQ(fake.desktop.screenSaverCalls, QList<bool>(5, true));
    EXPECT_EQ(fake.desktop.onTopCalls, QList<bool>(5, true));
}

// The clock's keys, menu items and global shortcuts, on a clock started at 0 ms.
TEST_F(MainWindowTest, ClockKeysMenusAndShortcuts)
{
    check({
        {"cmdStart @1000", "00:00:01 0:09 0:05 0:00 0:03 0100", "o"},
        // Four ticks at once; then the next held back three seconds, to 5000.
        {"= Num++ mnuNudgeForward ^nudge-forward", "00:00:05 0:05 0:01 0:00 0:03 0100", "r o o"},
        {"- mnuNudgeBack ^nudge-back @4900", "00:00:05 0:05 0:01 0:00 0:03 0100", ""},
        // Each sync: the tick 100 ms away runs now; the one 300 ms past moves on.
        {"Y", "00:00:06 0:04 0:06 0:00 0:02 0100", "r"},
        {"@5200 ^sync @6100", "00:00:06 0:04 0:06 0:00 0:02 0100", ""},
        {"@6150 mnuSync @7100", "00:00:07 0:03 0:05 0:00 0:01 0100", "s"},
        {"^toggle ^toggle", "00:00:07 0:03 0:05 0:00 0:01 1111", ""},
        {"^reset", "00:00:00 0:03 0:05 0:00 0:01 1111", "o o"},
    });
}

TEST_F(MainWindowTest, MenusOpenEachWindowOnce)
{
    open();
    const auto windows = [this] {
        return QWidgetList{window->optionsWindow(), window->helpWindow(), window->aboutWindow()};
    };
    act("mnuOptions mnuHelpForm mnuAbout");
    const QWidgetList first = windows();
    act("mnuOptions mnuHelpForm mnuAbout");
    EXPECT_EQ(windows(), first);
    for (QWidget* opened : first) {
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened->parent(), nullptr);
        opened->close();
    }
    // A window closed is made anew next time.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(windows(), QWidgetList(3, nullptr));
}

// The Options window opened from the menu while the clock runs: keys typed into
// it stay there, and OK restarts every countdown while the clock runs on, and turns
// the hotkeys off. With no sound output nothing sounds.
TEST_F(MainWindowTest, OptionsOkAppliesTheSettingsToTheRunningMatch)
{
    fake.desktop.outputs = 0;
    open();
    act("cmdStart @3000 mnuOptions");
    OptionsDialog* options = window->optionsWindow();
    QTest::keyClicks(options->findChild<QWidget*>("txtNotificationTime"), "sr");
    options->findChild<QAbstractButton*>("chkHotkeys")->click();
    options->findChild<QAbstractButton*>("Command1")->click();
    act("D S @4000");
    EXPECT_EQ(fake.dialogs.inputs, 0);
    EXPECT_EQ(shown(), "00:00:04 0:09 0:05 0:00 0:03 0100");
    EXPECT_TRUE(fake.sound.played.isEmpty());
}

// Shortcuts the desktop refuses at start-up stay on in the file, to be asked for
// again next time; the refusal is not the user's choice.
TEST_F(MainWindowTest, ShortcutsRefusedAtStartUpStayOn)
{
    ASSERT_TRUE(WriteIni("settings", "globalshortcuts", "1", dir.iniPath()));
    fake.shortcuts.refusal = "no portal";
    open();
    EXPECT_EQ(ReadIni("settings", "globalshortcuts", dir.iniPath()), "1");
    EXPECT_FALSE(window->findChild<QAction*>("mnuGlobalShortcuts")->isChecked());
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());
}

} // namespace

// The menu bar's overflow arrow is handed out unread; drawn, it is the base
// style's own.
TEST(DeferredIconStyleTest, TheOverflowArrowIsTheBaseStylesOwn)
{
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    const QImage arrow =
        fusion->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16).toImage();
    ASSERT_FALSE(arrow.isNull());
    DeferredIconStyle style(QStyleFactory::create("Fusion"));
    const QIcon icon = style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(16).toImage(), arrow);
    EXPECT_EQ(icon.pixmap(QSize(16, 16), 2.0).toImage(),
              fusion->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton)
                  .pixmap(QSize(16, 16), 2.0)
                  .toImage());
}
