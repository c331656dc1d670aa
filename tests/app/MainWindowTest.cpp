// The main window's wiring: each control, key and menu reaches its command, and
// the window shows the match after it. The match itself is tested on its own;
// here the timers run on a clock moved by hand.

#include "app/MainWindow.h"
#include "app/OptionsDialog.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QByteArray kIni = QByteArray(kShortPeriodsIni).replace("[0]", "alwaysontop=1\n[0]");

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.writeIni(kIni)); }

    MainWindow& open()
    {
        window = std::make_unique<MainWindow>(fake.platform);
        window->show();
        QApplication::setActiveWindow(window.get());
        return *window;
    }
    template <class T = QWidget> T* find(const QString& name) const
    {
        auto* widget = window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    // Clock, item rows, Start Stop Reset Delayed Start enabled, its caption.
    QString shown() const
    {
        QString out;
        for (const char* name : {"lblHours", ":", "lblMinutes", ":", "lblSeconds", " ", "lblSniperTime",
                                 " ", "lblRocketTime", " ", "lblCamoTime", " ", "lblOvershieldTime", " "})
            out += name[1] ? find<QLabel>(name)->text() : name;
        for (const char* name : {"cmdStart", "cmdStop", "cmdReset", "cmdDelayedStart"})
            out += find<QPushButton>(name)->isEnabled() ? '1' : '0';
        return out + ' ' + find<QPushButton>("cmdDelayedStart")->text();
    }
    QString played()
    {
        QString names = fake.sound.played.join(' ').remove(dir.path() + "/sounds/").remove(".wav");
        fake.sound.played.clear();
        return names;
    }
    // A key pressed while a map button has the focus.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        auto* focus = find("Option1_3");
        focus->setFocus();
        QTest::keyClick(focus, k, mods);
    }

    TempProgramFolder dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;
};

// Each step: what the user does, how long the clock then runs, what the window shows
// and which sounds were played meanwhile.
TEST_F(MainWindowTest, ControlsAndKeysDriveTheMatch)
{
    open();
    const auto click = [this](const char* name) {
        return [this, name] { find<QAbstractButton>(name)->click(); };
    };
    const auto press = [this](Qt::Key k) { return [this, k] { key(k); }; };
    const struct {
        const char* what;
        std::function<void()> action;
        int ms;
        const char* shown;
        const char* sounds;
    } steps[] = {
        {"start-up", [] {}, 5000, "00:00:00 0:10 0:06 0:00 0:04 1111 Delayed Start", ""},
        {"Start", click("cmdStart"), 2500, "00:00:02 0:08 0:04 0:00 0:02 0100 Delayed Start", "o"},
        // S after the mouse started the clock starts it again, keeping the tick phase:
        // the next tick at 3000, not 3500.
        {"S", press(Qt::Key_S), 600, "00:00:03 0:07 0:03 0:00 0:01 0100 Delayed Start", "r"},
        {"Shift+S stops", [this] { key(Qt::Key_S, Qt::ShiftModifier); }, 1000,
         "00:00:03 0:07 0:03 0:00 0:01 1111 Delayed Start", ""},
        {"S starts", press(Qt::Key_S), 1000, "00:00:04 0:06 0:02 0:00 0:04 0100 Delayed Start", "o"},
        {"Stop", click("cmdStop"), 1000, "00:00:04 0:06 0:02 0:00 0:04 1111 Delayed Start", ""},
        {"other keys", [this] { key(Qt::Key_X); key(Qt::Key_Q); }, 1000,
         "00:00:04 0:06 0:02 0:00 0:04 1111 Delayed Start", ""},
        {"Reset", click("cmdReset"), 1000, "00:00:00 0:06 0:02 0:00 0:04 1111 Delayed Start", "o o"},
        {"map", click("Option1_2"), 0, "00:00:00 0:30 1:00 1:30 2:00 1111 Delayed Start", ""},
        {"Start, R", [&] { click("cmdStart")(); key(Qt::Key_R); },
         0, "00:00:00 0:30 1:00 1:30 2:00 1111 Delayed Start", ""},
        {"KOTH", click("optSpecialTimer_0"), 0, "00:00:00 0:30 1:00 1:30 2:00 1111 Delayed Start", ""},
        {"D, 1", [this] { fake.dialogs.inputAnswers = {"1"}; key(Qt::Key_D); }, 1000,
         "00:00:00 0:30 1:00 1:30 2:00 1111 0", ""},
        {"its end", [] {}, 2000, "00:00:01 0:29 0:59 1:29 1:59 0100 Delayed Start", ""},
        {"Delayed Start", [&] { click("cmdStop")(); fake.dialogs.inputAnswers = {"5"}; click("cmdDelayedStart")(); },
         500, "00:00:01 0:29 0:59 1:29 1:59 1111 5", ""},
        // A new entry counts its first second from the entry.
        {"D, 3", [this] { fake.dialogs.inputAnswers = {"3"}; key(Qt::Key_D); }, 900,
         "00:00:01 0:29 0:59 1:29 1:59 1111 3", ""},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.action();
        fake.clocks.runFor(step.ms);
        EXPECT_EQ(shown(), step.shown);
        EXPECT_EQ(played(), step.sounds);
    }
    EXPECT_EQ(fake.dialogs.inputs, 3);
    EXPECT_TRUE(find<QRadioButton>("optSpecialTimer_0")->isChecked());
    EXPECT_EQ(window->match().specialChoice, GameModeTimers::Koth);
    // Two loads at start-up and one for each Reset, each applying the settings' effects.
    EXPECT_EQ(fake.desktop.screenSaverCalls, QList<bool>(5, true));
    EXPECT_EQ(fake.desktop.onTopCalls, QList<bool>(5, true));
}

TEST_F(MainWindowTest, WithHotkeysOffOrNoSoundOutput)
{
    ASSERT_TRUE(dir.writeIni(QByteArray(kIni).replace("[settings]", "[settings]\ndisablehotkeys=1")));
    fake.desktop.outputs = 0;
    MainWindow& w = open();
    key(Qt::Key_S);
    key(Qt::Key_D);
    EXPECT_FALSE(w.match().bClockRunning);
    EXPECT_EQ(fake.dialogs.inputs, 0);
    find<QPushButton>("cmdStart")->click();
    for (Qt::Key k : {Qt::Key_R, Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Y})
        key(k);
    fake.clocks.runFor(10000);
    EXPECT_EQ(w.match().iSeconds, 10);
    EXPECT_TRUE(fake.sound.played.isEmpty());
}

TEST_F(MainWindowTest, MenusOpenEachWindowOnce)
{
    MainWindow& w = open();
    const std::function<QWidget*()> windows[] = {[&] { return (QWidget*)w.optionsWindow(); },
                                                 [&] { return (QWidget*)w.helpWindow(); },
                                                 [&] { return (QWidget*)w.aboutWindow(); }};
    const char* const items[] = {"mnuOptions", "mnuHelpForm", "mnuAbout"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(items[i]);
        auto* item = find<QAction>(items[i]);
        item->trigger();
        QWidget* first = windows[i]();
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->parent(), nullptr);
        item->trigger();
        EXPECT_EQ(windows[i](), first);
        // A window closed is made anew next time.
        first->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(windows[i](), nullptr);
    }
}

// The Options window opened from the menu while the clock runs: keys typed into
// it stay there, and OK restarts every countdown while the clock runs on.
TEST_F(MainWindowTest, OptionsOkAppliesTheSettingsToTheRunningMatch)
{
    MainWindow& w = open();
    find<QPushButton>("cmdStart")->click();
    fake.clocks.runFor(3000);
    find<QAction>("mnuOptions")->trigger();
    OptionsDialog* options = w.optionsWindow();
    ASSERT_NE(options, nullptr);
    QApplication::setActiveWindow(options);
    auto* time = options->findChild<QLineEdit*>("txtNotificationTime");
    time->setFocus();
    QTest::keyClicks(time, "sr");
    EXPECT_TRUE(w.match().bClockRunning);
    EXPECT_EQ(w.match().iSeconds, 3);
    time->setText("5");
    options->findChild<QPushButton*>("Command1")->click();
    fake.clocks.runFor(1000);
    EXPECT_EQ(shown(), "00:00:04 0:09 0:05 0:00 0:03 0100 Delayed Start");
}

// Sync and the nudges on the running clock, started at 0 ms: each row gives the
// presses (at ms: Y, = or +, keypad +, - , the Sync menu item, P Stop, S Start) and
// every tick up to 6 s with its sounds. The sounds follow the ticks: none is lost
// or doubled.
TEST_F(MainWindowTest, SyncAndNudgesMoveTheTicks)
{
    const struct {
        const char* presses;
        const char* ticks;
    } rows[] = {
        {"2501Y", "1000:o 2000: 2501:r 3501:o 4501:o 5501:r"},
        {"2750Y", "1000:o 2000: 2750:r 3750:o 4750:o 5750:r"},
        {"3000Y", "1000:o 2000: 3000:r 4000:o 5000:o 6000:r"},
        {"3250m", "1000:o 2000: 3000:r 4250:o 5250:o"},
        {"3499Y", "1000:o 2000: 3000:r 4499:o 5499:o"},
        {"3250+", "1000:o 2000: 3000:r 3250:o 4000:o 5000:r 6000:s"},
        {"3250= 3300k", "1000:o 2000: 3000:r 3250:o 3300:o 4000:r 5000:s 6000:o"},
        {"3250-", "1000:o 2000: 3000:r 5000:o 6000:o"},
        {"2500P 2600Y 2700+ 2800- 3500S", "1000:o 2000: 4500:r 5500:o"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.presses);
        fake.clocks.now = 0;
        open();
        QStringList ticks;
        QObject::connect(window.get(), &MainWindow::presented, [&](const Outcome& outcome) {
            if (outcome.changed & Outcome::Clock)
                ticks << QStringLiteral("%1:%2").arg(fake.clocks.now / FakeClocks::kMs).arg(played());
        });
        find<QPushButton>("cmdStart")->click();
        for (const QString& press : QString(row.presses).split(' ')) {
            fake.clocks.runTo(press.chopped(1).toInt());
            switch (press.back().toLatin1()) {
            case 'm': find<QAction>("mnuSync")->trigger(); break;
            case 'k': key(Qt::Key_Plus, Qt::KeypadModifier); break;
            case 'P': find<QPushButton>("cmdStop")->click(); break;
            case 'S': find<QPushButton>("cmdStart")->click(); break;
            default: key(Qt::Key(press.back().unicode())); // Y, =, +, -: their Qt::Key codes
            }
        }
        fake.clocks.runTo(6000);
        EXPECT_EQ(ticks.join(' '), row.ticks);
    }
}

} // namespace
