#include "app/MainWindow.h"
#include "platform/ChangeLabel.h"
#include "platform/ProgramInfo.h"
#include "settings/Ini.h"
#include "settings/OptionsDialog.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Battle Creek (map 0) with short periods, so that notices come within a few ticks.
const char* const kIni = R"([settings]
time=3
notifysniper=1
notifyrocket=1
notifycamo=1
notifyovershield=1
respawnsound=0
boxtype=0
alwaysontop=0
disablescreensaver=0
disablehotkeys=0
[0]
sniper=10
rocket=6
camo=999
overshield=4
[1]
sniper=999
rocket=999
camo=999
overshield=999
[2]
sniper=30
rocket=60
camo=90
overshield=120
)";

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { window.reset(); }

    void setSetting(const QString& key, const QString& value)
    {
        ASSERT_TRUE(WriteIni(QStringLiteral("settings"), key, value, program::iniPath()));
    }

    MainWindow& open(const char* ini = kIni)
    {
        if (ini) {
            EXPECT_TRUE(dir.writeIni(ini));
        }
        window = std::make_unique<MainWindow>(fake.platform);
        return *window;
    }

    template <class T = QWidget> T* find(const char* name)
    {
        auto* widget = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString text(const char* name) { return find<QLabel>(name)->text(); }
    QString clock()
    {
        return text("lblHours") + ":" + text("lblMinutes") + ":" + text("lblSeconds");
    }
    QString itemTimes()
    {
        return text("lblSniperTime") + " " + text("lblRocketTime") + " " + text("lblCamoTime") +
               " " + text("lblOvershieldTime");
    }
    // Enabled states of Start, Stop, Reset, Delayed Start.
    QString buttons()
    {
        QString s;
        for (const char* name : {"cmdStart", "cmdStop", "cmdReset", "cmdDelayedStart"})
            s += find<QPushButton>(name)->isEnabled() ? '1' : '0';
        return s;
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            window->tmrGameTimer_Timer();
    }
    QString sound(const QString& name) { return dir.path() + "/sounds/" + name; }
    // The ticks, from 1 to n, in which exactly this sound and nothing else played;
    // any other sound fails the test.
    QList<int> ticksPlaying(int n, const QString& name)
    {
        QList<int> found;
        for (int tick = 1; tick <= n; ++tick) {
            fake.sound.played.clear();
            ticks(1);
            if (fake.sound.played == QStringList{sound(name)}) {
                found << tick;
            } else {
                EXPECT_TRUE(fake.sound.played.isEmpty()) << tick;
            }
        }
        return found;
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(window.get(), k, mods);
    }

    TempProgramFolder dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, StartsWithBattleCreekAndTheClockStopped)
{
    MainWindow& w = open();
    EXPECT_EQ(w.windowTitle(), "Zorvu Weapon/Powerup Respawn Timer Beta (.1B)");
    EXPECT_TRUE(find<QRadioButton>("Option1_0")->isChecked());
    EXPECT_EQ(find<QRadioButton>("Option1_7")->text(), "Hang'em High");
    EXPECT_EQ(text("lblCamo"), "Active Camoflage:");
    // Camo is absent on the map: its label keeps its first text.
    EXPECT_EQ(itemTimes(), "0:10 0:06 0:00 0:04");
    EXPECT_EQ(clock(), "00:00:00");
    EXPECT_EQ(buttons(), "1111");
    EXPECT_FALSE(w.tmrGameTimer.isActive());
    EXPECT_FALSE(w.tmrDelayedStart.isActive());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(find<QRadioButton>(qPrintable(QString("optSpecialTimer_%1").arg(i)))->isChecked());
    EXPECT_EQ(w.iNotificationTime, 3);
    EXPECT_EQ(w.special.iKothCount, 60);
    EXPECT_EQ(w.special.iOddballCount, 30);
    EXPECT_TRUE(w.bSoundDevice);
    // Two loads at start-up, each applying both desktop effects.
    EXPECT_EQ(fake.desktop.screenSaverCalls, QList<bool>({true, true}));
    EXPECT_EQ(fake.desktop.onTopCalls, QList<bool>({false, false}));
    EXPECT_TRUE(fake.sound.played.isEmpty());
}

TEST_F(MainWindowTest, WithoutASettingsFileTheDefaultsHold)
{
    MainWindow& w = open(nullptr);
    EXPECT_FALSE(w.bDisableHotkeys);
    EXPECT_EQ(w.iNotificationTime, 15);
    EXPECT_EQ(w.iNotifySniper + w.iNotifyRocket + w.iNotifyCamo + w.iNotifyOvershield, 0);
    EXPECT_FALSE(w.bRespawnSound);
    EXPECT_FALSE(w.bBoxType);
    EXPECT_TRUE(w.sDefaultSoundFileName.isEmpty());
    EXPECT_EQ(fake.desktop.screenSaverCalls.last(), true);
    EXPECT_EQ(fake.desktop.onTopCalls.last(), false);
    // Missing periods read as 0: shown as 0:00, never counted, never announced.
    EXPECT_EQ(itemTimes(), "0:00 0:00 0:00 0:00");
    w.cmdStart_Click();
    ticks(5);
    EXPECT_EQ(itemTimes(), "0:00 0:00 0:00 0:00");
    EXPECT_EQ(w.iTimes[0], (respawn::Column{0, 0, 0, 0}));
    EXPECT_TRUE(fake.sound.played.isEmpty());
}

TEST_F(MainWindowTest, SettingsAreReadAndAppliedOnEveryLoad)
{
    open();
    setSetting("time", "abc");
    setSetting("disablehotkeys", "TRUE");
    setSetting("alwaysontop", "1");
    setSetting("disablescreensaver", "2");
    setSetting("boxtype", "-1");
    setSetting("NOTIFYCAMO", "0");
    setSetting("defaultsoundfilename", "  /x/ding.wav  ");
    window->LoadNewSettings();
    EXPECT_EQ(window->iNotificationTime, 3); // unreadable: kept
    EXPECT_TRUE(window->bDisableHotkeys);
    EXPECT_TRUE(window->bBoxType);
    EXPECT_EQ(window->iNotifyCamo, 0);
    EXPECT_EQ(window->sDefaultSoundFileName, "/x/ding.wav");
    EXPECT_EQ(fake.desktop.screenSaverCalls.last(), false);
    EXPECT_EQ(fake.desktop.onTopCalls.last(), true);
    // PAL: 10 more on the first countdown of every present item, once per load.
    EXPECT_EQ(window->iTimes[0], (respawn::Column{20, 16, 999, 14}));
    EXPECT_EQ(window->iBaseTimes[0], (respawn::Column{10, 6, 999, 4}));
    window->cmdReset_Click();
    EXPECT_EQ(window->iTimes[0], (respawn::Column{20, 16, 999, 14}));

    setSetting("time", "40000");
    window->LoadNewSettings();
    EXPECT_EQ(window->iNotificationTime, 3);
    setSetting("time", "2.5");
    window->LoadNewSettings();
    EXPECT_EQ(window->iNotificationTime, 2);
    setSetting("time", "3.5");
    window->LoadNewSettings();
    EXPECT_EQ(window->iNotificationTime, 4);
}

TEST_F(MainWindowTest, TheClockCountsTicksAcrossMinutesAndHours)
{
    MainWindow& w = open();
    struct Case {
        int h, m, s, ticks;
        const char* shown;
    };
    const Case cases[] = {
        {0, 0, 0, 1, "00:00:01"},      {0, 0, 59, 60, "00:01:59"},
        {0, 59, 59, 1, "01:00:00"},    {99, 59, 59, 1, "100:00:00"},
        {32767, 59, 58, 1, "32767:59:59"}, {32767, 59, 59, 3, "32767:59:59"},
    };
    for (const Case& c : cases) {
        w.iHours = qint16(c.h);
        w.iMinutes = qint16(c.m);
        w.iSeconds = qint16(c.s);
        ticks(c.ticks);
        EXPECT_EQ(clock(), c.shown) << c.h << ":" << c.m << ":" << c.s;
    }
}

TEST_F(MainWindowTest, ItemsCountDownAndReloadAtTheirRespawn)
{
    open();
    QStringList shown;
    for (int i = 0; i < 6; ++i) {
        ticks(1);
        shown << itemTimes();
    }
    EXPECT_EQ(shown, QStringList({"0:09 0:05 0:00 0:03", "0:08 0:04 0:00 0:02",
                                  "0:07 0:03 0:00 0:01", "0:06 0:02 0:00 0:04",
                                  "0:05 0:01 0:00 0:03", "0:04 0:06 0:00 0:02"}));
    // Other maps are not counted.
    EXPECT_EQ(window->iTimes[2], (respawn::Column{30, 60, 90, 120}));
}

TEST_F(MainWindowTest, SoundsComeInTheTickTheLabelReachesTheLeadTime)
{
    open();
    // Lead 3: overshield (4) is due at once (seen 4 = 3 + 1), rocket (6) in tick 3,
    // overshield's respawn (seen 1) in tick 4; in tick 9 both notices fall together.
    QStringList perTick;
    for (int i = 1; i <= 10; ++i) {
        fake.sound.played.clear();
        ticks(1);
        perTick << fake.sound.played.join(",").remove(dir.path() + "/sounds/");
        if (i == 3) { // the rocket's notice comes as its label reaches the lead time
            EXPECT_EQ(text("lblRocketTime"), "0:03");
        }
    }
    EXPECT_EQ(perTick, QStringList({"o.wav", "", "r.wav", "o.wav", "o.wav", "r.wav", "s.wav",
                                    "o.wav", "ro.wav", "s.wav"}));
    EXPECT_TRUE(window->bSniperDue);
    EXPECT_FALSE(window->bRocketDue);
}

TEST_F(MainWindowTest, DefaultSoundModePlaysTheFileAsStoredAtARespawnOnly)
{
    open();
    setSetting("respawnsound", "1");
    setSetting("defaultsoundfilename", "/somewhere/ding.wav");
    window->cmdReset_Click();
    fake.sound.played.clear();
    ticks(4); // o notice, -, r notice, o respawn
    EXPECT_EQ(fake.sound.played,
              QStringList({sound("o.wav"), sound("r.wav"), "/somewhere/ding.wav"}));
}

TEST_F(MainWindowTest, WithoutASoundOutputNothingIsPlayed)
{
    fake.desktop.outputs = 0;
    MainWindow& w = open();
    EXPECT_FALSE(w.bSoundDevice);
    find<QRadioButton>("optSpecialTimer_0")->click();
    ticks(60);
    EXPECT_TRUE(fake.sound.played.isEmpty());
}

TEST_F(MainWindowTest, KothAndOddballNotices)
{
    open();
    setSetting("notifysniper", "0");
    setSetting("notifyrocket", "0");
    setSetting("notifyovershield", "0");
    window->cmdReset_Click();
    find<QRadioButton>("optSpecialTimer_0")->click();
    EXPECT_EQ(ticksPlaying(180, "hill.wav"), QList<int>({55, 116, 177}));

    window->cmdReset_Click();
    find<QRadioButton>("optSpecialTimer_1")->click();
    EXPECT_EQ(ticksPlaying(100, "oddball.wav"), QList<int>({25}));
}

TEST_F(MainWindowTest, TheButtonsFollowTheirTable)
{
    MainWindow& w = open();
    w.cmdStart_Click();
    EXPECT_EQ(buttons(), "0100");
    EXPECT_TRUE(w.tmrGameTimer.isActive());
    ticks(3);
    w.cmdStop_Click();
    EXPECT_EQ(buttons(), "1111");
    EXPECT_FALSE(w.tmrGameTimer.isActive());
    w.cmdStart_Click();
    ticks(2);
    EXPECT_EQ(clock(), "00:00:05"); // Start after Stop goes on where it stood
    // Reset while running: stopped and cleared; Delayed Start is left as it was.
    w.cmdReset_Click();
    EXPECT_FALSE(w.tmrGameTimer.isActive());
    EXPECT_EQ(clock(), "00:00:00");
    EXPECT_EQ(buttons(), "1110");
    // Reset leaves the item labels alone until the next tick.
    EXPECT_EQ(itemTimes(), "0:05 0:01 0:00 0:03");
    EXPECT_EQ(w.iTimes[0], (respawn::Column{10, 6, 999, 4}));
    ticks(1);
    EXPECT_EQ(itemTimes(), "0:09 0:05 0:00 0:03");
}

TEST_F(MainWindowTest, ResetRunsTheNotificationPassTwiceOnTheOldCountdowns)
{
    MainWindow& w = open();
    w.cmdStart_Click();
    ticks(2); // overshield now stands at 2 -> next is not due; rocket stands at 4 = lead + 1
    fake.sound.played.clear();
    w.cmdReset_Click();
    EXPECT_EQ(fake.sound.played, QStringList({sound("r.wav"), sound("r.wav")}));
    EXPECT_EQ(clock(), "00:00:00");
}

TEST_F(MainWindowTest, SelectingAMapWhileRunningResetsAndReloads)
{
    MainWindow& w = open();
    w.cmdStart_Click();
    ticks(3);
    find<QRadioButton>("Option1_2")->click();
    EXPECT_EQ(w.iCurrentMap, 2);
    EXPECT_FALSE(w.tmrGameTimer.isActive());
    EXPECT_EQ(clock(), "00:00:00");
    EXPECT_EQ(itemTimes(), "0:30 1:00 1:30 2:00");
    EXPECT_EQ(buttons(), "1110"); // Delayed Start stays off until Stop
    EXPECT_EQ(w.iTimes[0], (respawn::Column{10, 6, 999, 4}));
    // A map without any of the items leaves every label as it was.
    find<QRadioButton>("Option1_1")->click();
    EXPECT_EQ(itemTimes(), "0:30 1:00 1:30 2:00");
    w.cmdStop_Click();
    EXPECT_EQ(buttons(), "1111");
}

TEST_F(MainWindowTest, HotkeysWorkLikeTheButtons)
{
    MainWindow& w = open();
    key(Qt::Key_S);
    EXPECT_TRUE(w.tmrGameTimer.isActive());
    EXPECT_TRUE(w.bHotkeyStarted);
    key(Qt::Key_S, Qt::ShiftModifier);
    EXPECT_FALSE(w.tmrGameTimer.isActive());
    EXPECT_FALSE(w.bHotkeyStarted);

    // Started with the mouse: the first S starts again (no change), the second stops.
    w.cmdStart_Click();
    key(Qt::Key_S);
    EXPECT_TRUE(w.tmrGameTimer.isActive());
    key(Qt::Key_S);
    EXPECT_FALSE(w.tmrGameTimer.isActive());

    w.cmdStart_Click();
    ticks(2);
    key(Qt::Key_R);
    EXPECT_FALSE(w.tmrGameTimer.isActive());
    EXPECT_EQ(clock(), "00:00:00");
    EXPECT_EQ(buttons(), "1111");

    fake.dialogs.inputAnswers = {"5"};
    key(Qt::Key_D);
    EXPECT_EQ(fake.dialogs.inputs.size(), 1);
    EXPECT_EQ(find<QPushButton>("cmdDelayedStart")->text(), "5");

    key(Qt::Key_X);
    EXPECT_FALSE(w.tmrGameTimer.isActive());
}

TEST_F(MainWindowTest, DisabledHotkeysDoNothingButTheButtonsWork)
{
    open();
    setSetting("disablehotkeys", "1");
    window->cmdReset_Click();
    key(Qt::Key_S);
    key(Qt::Key_D);
    EXPECT_FALSE(window->tmrGameTimer.isActive());
    EXPECT_TRUE(fake.dialogs.inputs.isEmpty());
    window->cmdStart_Click();
    ticks(1);
    key(Qt::Key_R);
    EXPECT_EQ(clock(), "00:00:01");
}

TEST_F(MainWindowTest, HotkeysReachTheWindowWhicheverControlHasTheFocus)
{
    MainWindow& w = open();
    w.show();
    QApplication::setActiveWindow(&w);
    auto* option = find<QRadioButton>("Option1_3");
    option->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), option);
    QTest::keyClick(option, Qt::Key_S);
    EXPECT_TRUE(w.tmrGameTimer.isActive());
    EXPECT_TRUE(w.bHotkeyStarted);
    QTest::keyClick(option, Qt::Key_S);
    EXPECT_FALSE(w.tmrGameTimer.isActive());
}

// The delayed start, step by step: each row is an action and what the button
// shows afterwards, with the clock running or not.
TEST_F(MainWindowTest, DelayedStartTimeline)
{
    struct Step {
        const char* action; // "D:<answer>" asks (answer "" = Cancel), "T" one delay tick, "S" Start
        const char* caption;
        bool counting;
        bool clockRunning;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        {"entry 1", {{"D:1", "1", true, false}, {"T", "0", true, false},
                     {"T", "Delayed Start", false, true}}},
        {"entry 0", {{"D:0", "Delayed Start", false, false}}},
        {"empty", {{"D:", "Delayed Start", false, false}}},
        {"text", {{"D:soon", "Delayed Start", false, false}}},
        {"negative", {{"D:-5", "Delayed Start", false, false}}},
        {"half to even", {{"D:2.5", "2", true, false}}},
        {"new entry while counting", {{"D:25", "25", true, false}, {"T", "24", true, false},
                                      {"D:10", "10", true, false}, {"T", "9", true, false}}},
        {"cancel while counting", {{"D:3", "3", true, false}, {"T", "2", true, false},
                                   {"D:", "2", true, false}, {"T", "1", true, false}}},
        {"0 while counting", {{"D:3", "3", true, false}, {"T", "2", true, false},
                              {"D:0", "2", true, false}, {"T", "Delayed Start", false, true}}},
        {"start during a count", {{"D:2", "2", true, false}, {"S", "2", true, true},
                                  {"T", "1", true, true}, {"T", "0", true, true},
                                  {"T", "Delayed Start", false, true}}},
    };
    for (const Case& c : cases) {
        open();
        auto* button = find<QPushButton>("cmdDelayedStart");
        for (const Step& step : c.steps) {
            const QString action = QString::fromLatin1(step.action);
            if (action.startsWith("D:")) {
                fake.dialogs.inputAnswers = {action.mid(2)};
                window->cmdDelayedStart_Click();
            } else if (action == "T") {
                window->tmrDelayedStart_Timer();
            } else {
                window->cmdStart_Click();
            }
            EXPECT_EQ(button->text(), step.caption) << c.name << " after " << step.action;
            EXPECT_EQ(window->tmrDelayedStart.isActive(), step.counting) << c.name << " " << step.action;
            EXPECT_EQ(window->tmrGameTimer.isActive(), step.clockRunning) << c.name << " " << step.action;
        }
        if (window->tmrGameTimer.isActive()) {
            EXPECT_FALSE(button->isEnabled()) << c.name;
        }
    }
    const FakeDialogs::Input asked = fake.dialogs.inputs.first();
    EXPECT_EQ(asked.prompt, "Enter Number of Seconds to Delay Before Starting Game Timer");
    EXPECT_EQ(asked.title, "Delayed Start");
    EXPECT_EQ(asked.defaultText, "30");
}

TEST_F(MainWindowTest, ThirtySecondsStartTheClockThirtyOneTicksAfterOk)
{
    MainWindow& w = open();
    fake.dialogs.inputAnswers = {"30"};
    w.cmdDelayedStart_Click();
    EXPECT_EQ(w.tmrDelayedStart.interval(), 1000);
    int ticksToStart = 0;
    while (!w.tmrGameTimer.isActive() && ticksToStart < 100) {
        w.tmrDelayedStart_Timer();
        ++ticksToStart;
    }
    EXPECT_EQ(ticksToStart, 31);
    EXPECT_EQ(buttons(), "0100");
    // Stop re-enables it; a later Cancel does not start another count.
    w.cmdStop_Click();
    w.cmdDelayedStart_Click();
    EXPECT_FALSE(w.tmrDelayedStart.isActive());
}

TEST_F(MainWindowTest, MenusOpenEachWindowOnce)
{
    MainWindow& w = open();
    auto* options = w.findChild<QAction*>("mnuOptions");
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->text(), "&Options");
    EXPECT_EQ(options->shortcut(), QKeySequence("Ctrl+O"));
    for (const char* name : {"mnuExit", "mnuHelpForm", "mnuAbout"})
        EXPECT_NE(w.findChild<QAction*>(name), nullptr) << name;

    w.mnuOptions_Click();
    OptionsDialog* first = w.optionsWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->parent(), nullptr);
    w.mnuOptions_Click();
    EXPECT_EQ(w.optionsWindow(), first);
    w.mnuHelpForm_Click();
    w.mnuAbout_Click();
    EXPECT_NE(w.helpWindow(), nullptr);
    EXPECT_NE(w.aboutWindow(), nullptr);
    // A window closed is made anew next time.
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.optionsWindow(), nullptr);
}

} // namespace
