// The main window's wiring: each control, key and menu reaches its command, and
// the window shows the match after it. The match itself is tested on its own;
// here the timers run on a clock moved by hand.

#include "about/AboutBox.h"
#include "about/HelpWindow.h"
#include "app/MainWindow.h"
#include "app/OptionsDialog.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
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
        window = std::make_unique<MainWindow>(fake.platform);
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    // Runs space-separated steps: an objectName triggers that menu item or clicks
    // that button; a key sequence ("S", "Shift+S", "Num++") is pressed on a map
    // button; "#N" answers the next input box with N; "@MS" runs the clock to MS.
    void act(const QString& steps)
    {
        for (const QString& s : steps.split(' ', Qt::SkipEmptyParts)) {
            if (s[0] == '#')
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

    TempProgramFolder dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;
};

// Each row: what the user does, until when the clock then runs, what the window
// shows and which sounds were played meanwhile.
TEST_F(MainWindowTest, ControlsAndKeysDriveTheMatch)
{
    open();
    const std::tuple<const char*, const char*, const char*> rows[] = {
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
    };
    for (const auto& [steps, shows, sounds] : rows) {
        SCOPED_TRACE(steps);
        act(steps);
        EXPECT_EQ(shown(), shows);
        EXPECT_EQ(played(), sounds);
    }
    EXPECT_EQ(fake.dialogs.inputs, 3);
    EXPECT_EQ(window->match().specialChoice, GameModeTimers::Koth);
    // Two loads at start-up and one for each Reset, each applying the settings' effects.
    EXPECT_EQ(fake.desktop.screenSaverCalls, QList<bool>(5, true));
    EXPECT_EQ(fake.desktop.onTopCalls, QList<bool>(5, true));
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

// Sync and the nudges on the running clock, started at 0 ms: each row gives the
// steps (Y, the menu item of Sync, = and keypad + forward, - back) and every tick
// up to 6 s with its sounds. The sounds follow the ticks: none is lost or doubled.
TEST_F(MainWindowTest, SyncAndNudgesMoveTheTicks)
{
    const std::pair<const char*, const char*> rows[] = {
        {"@2500 Y", "1000:o 2000: 2500:r 3500:o 4500:o 5500:r"},
        {"@3000 Y", "1000:o 2000: 3000:r 4000:o 5000:o 6000:r"},
        {"@3250 mnuSync", "1000:o 2000: 3000:r 4250:o 5250:o"},
        {"@3499 Y", "1000:o 2000: 3000:r 4499:o 5499:o"},
        {"@3250 = @3300 Num++", "1000:o 2000: 3000:r 3250:o 3300:o 4000:r 5000:s 6000:o"},
        {"@3250 -", "1000:o 2000: 3000:r 5000:o 6000:o"},
        {"@2500 cmdStop @2600 Y @2700 + @2800 - @3500 cmdStart", "1000:o 2000: 4500:r 5500:o"},
    };
    for (const auto& [steps, expected] : rows) {
        SCOPED_TRACE(steps);
        fake.clocks.now = 0;
        open();
        QStringList ticks;
        QObject::connect(window.get(), &MainWindow::presented, [&](const Outcome& outcome) {
            if (outcome.changed & Outcome::Clock)
                ticks << QString::number(fake.clocks.now / FakeClocks::kMs) + ':' + played();
        });
        act(QStringLiteral("cmdStart ") + steps + " @6000");
        EXPECT_EQ(ticks.join(' '), expected);
    }
}

} // namespace
