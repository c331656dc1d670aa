#include "platform/Layout.h"
#include "platform/ProgramInfo.h"
#include "settings/OptionsDialog.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        program::setFolderForTesting(dir.path());
    }
    void TearDown() override
    {
        dialog.reset();
        program::setFolderForTesting(QString());
    }

    QString iniPath() const { return dir.filePath(QStringLiteral("times.ini")); }

    void writeIni(const QByteArray& content)
    {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // A settings section holding just these lines.
    void writeSettings(const QByteArray& lines) { writeIni("[settings]\n" + lines + "\n"); }

    std::string iniContent() const
    {
        QFile file(iniPath());
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return file.readAll().toStdString();
    }
    bool iniHas(const char* text) const
    {
        return iniContent().find(text) != std::string::npos;
    }

    OptionsDialog& open()
    {
        dialog = std::make_unique<OptionsDialog>(dialogs);
        QObject::connect(dialog.get(), &OptionsDialog::saved, [this] {
            ++savedCount;
            fileWhenSaved = iniContent();
        });
        return *dialog;
    }

    template <class T> T* find(const char* name) const
    {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    SettingCheckBox* box(const char* name) const { return find<SettingCheckBox>(name); }
    QRadioButton* option(const char* name) const { return find<QRadioButton>(name); }
    QLineEdit* timeBox() const { return find<QLineEdit>("txtNotificationTime"); }
    void pressOk() { QTest::mouseClick(find<QPushButton>("Command1"), Qt::LeftButton); }

    QTemporaryDir dir;
    FakeDialogs dialogs;
    std::unique_ptr<OptionsDialog> dialog;
    int savedCount = 0;
    std::string fileWhenSaved;
};

// ---------------------------------------------------------------- the window

TEST_F(OptionsDialogTest, WindowIsLaidOutInTwips)
{
    OptionsDialog& d = open();
    EXPECT_EQ(d.objectName(), "frmOptions");
    EXPECT_EQ(d.windowTitle(), "Options");
    EXPECT_TRUE(d.isWindow());
    EXPECT_EQ(d.parent(), nullptr);
    const Qt::WindowFlags flags = d.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(d.minimumSize(), QSize(337, 426));
    EXPECT_EQ(d.maximumSize(), QSize(337, 426));

    struct Control {
        const char* name;
        const char* parent;
        const char* text;
        int left, top, width, height;
    };
    static const Control controls[] = {
        {"Frame1", "frmOptions", "Notification Options", 120, 120, 4815, 3495},
        {"Label1", "Frame1", "Notify me", 240, 360, 735, 255},
        {"txtNotificationTime", "Frame1", "", 960, 360, 375, 285},
        {"Label2", "Frame1", "seconds before a powerup/weapon respawns", 1440, 360, 3255, 255},
        {"optRespawn_0", "Frame1", "Say item name on respawn", 960, 720, 2535, 255},
        {"optRespawn_1", "Frame1", "Play default sound on respawn", 960, 960, 2535, 255},
        {"Label3", "Frame1", "Notify me on respawn of:", 240, 1320, 1815, 255},
        {"chkNotifyWeapons_0", "Frame1", "Sniper", 960, 1560, 2295, 255},
        {"chkNotifyWeapons_1", "Frame1", "Rocket", 960, 1800, 2295, 255},
        {"chkNotifyWeapons_2", "Frame1", "Invisibility", 960, 2040, 2295, 255},
        {"chkNotifyWeapons_3", "Frame1", "Overshield", 960, 2280, 2295, 255},
        {"chkVoiceRecognition", "Frame1", "Enable voice recognition (requires extra files)", 240,
         2640, 3495, 255},
        {"Combo1", "Frame1", "Available Voices", 960, 3000, 2655, 315},
        {"cmdTest", "Frame1", "Test", 3840, 3000, 735, 255},
        {"frmSounds", "frmOptions", "Box Type", 120, 3720, 4815, 615},
        {"optBoxType_0", "frmSounds", "NTSC", 240, 240, 735, 255},
        {"optBoxType_1", "frmSounds", "PAL", 1440, 240, 615, 255},
        {"Frame2", "frmOptions", "Miscellaneous Options", 120, 4440, 4815, 1215},
        {"chkDisableScreensaver", "Frame2", "Auto-disable windows screen saver", 240, 240, 2895,
         255},
        {"chkOnTop", "Frame2", "Keep main program window on top", 240, 480, 2775, 255},
        {"chkHotkeys", "Frame2", "Disable program hotkeys", 240, 720, 2055, 255},
        {"Command1", "frmOptions", "OK", 360, 5880, 1935, 375},
        {"Command2", "frmOptions", "Cancel", 2640, 5880, 1935, 375},
    };
    for (const Control& c : controls) {
        auto* w = find<QWidget>(c.name);
        if (!w)
            continue;
        EXPECT_EQ(w->parentWidget()->objectName(), c.parent) << c.name;
        EXPECT_EQ(w->geometry(), layout::rect(c.left, c.top, c.width, c.height)) << c.name;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            text = g->title();
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            text = e->text();
        else if (auto* cb = qobject_cast<QComboBox*>(w))
            text = cb->currentText();
        EXPECT_EQ(text, c.text) << c.name;
    }

    // The voice controls are there but do nothing.
    for (const char* name : {"chkVoiceRecognition", "Combo1", "cmdTest"})
        EXPECT_FALSE(find<QWidget>(name)->isEnabled()) << name;
    EXPECT_EQ(find<QComboBox>("Combo1")->count(), 0);
    for (const char* name : {"Command1", "Command2", "cmdTest"}) {
        EXPECT_FALSE(find<QPushButton>(name)->isDefault()) << name;
        EXPECT_FALSE(find<QPushButton>(name)->autoDefault()) << name;
    }
    EXPECT_EQ(d.focusWidget(), timeBox());
}

// Tab enters an option group at its selected button, as on Windows.
TEST_F(OptionsDialogTest, TabVisitsTheControlsInOrderPassingOverTheDisabledOnes)
{
    writeSettings("respawnsound=1\ndefaultsoundfilename=/a.wav\nboxtype=1");
    OptionsDialog& d = open();
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    EXPECT_EQ(QApplication::focusWidget(), timeBox());

    QStringList visited;
    for (int i = 0; i < 13; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const QStringList expected = {"txtNotificationTime", "optRespawn_1",
                                  "optBoxType_1", "chkDisableScreensaver",
                                  "chkOnTop", "chkHotkeys", "Command1", "Command2",
                                  "chkNotifyWeapons_0", "chkNotifyWeapons_1",
                                  "chkNotifyWeapons_2", "chkNotifyWeapons_3",
                                  "txtNotificationTime"};
    EXPECT_EQ(visited, expected);
}

TEST_F(OptionsDialogTest, EnterAndEscapePressNeitherButton)
{
    writeSettings("time=20");
    const std::string before = iniContent();
    OptionsDialog& d = open();
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    for (const char* name : {"txtNotificationTime", "Command1", "Command2"}) {
        QWidget* w = find<QWidget>(name);
        w->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(w, key);
        EXPECT_TRUE(d.isVisible()) << name;
    }
    EXPECT_EQ(iniContent(), before);
    EXPECT_EQ(savedCount, 0);
}

// ---------------------------------------------------------------- opening

TEST_F(OptionsDialogTest, MissingFileShowsEverythingOffAndOkWritesElevenDefaults)
{
    open();
    EXPECT_EQ(timeBox()->text(), "");
    for (const char* name : {"chkNotifyWeapons_0", "chkNotifyWeapons_1", "chkNotifyWeapons_2",
                             "chkNotifyWeapons_3", "chkDisableScreensaver", "chkOnTop",
                             "chkHotkeys"})
        EXPECT_EQ(box(name)->checkState(), Qt::Unchecked) << name;
    EXPECT_TRUE(option("optRespawn_0")->isChecked());
    EXPECT_FALSE(option("optRespawn_1")->isChecked());
    EXPECT_TRUE(option("optBoxType_0")->isChecked());
    EXPECT_FALSE(option("optBoxType_1")->isChecked());
    EXPECT_EQ(dialog->sSoundFile, "");
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());

    dialog->show();
    pressOk();
    // New keys are added in the order they are written, so the file shows it.
    const std::string expected = "[settings]\n"
                                "TIME=\n"
                                "DISABLESCREENSAVER=0\n"
                                "DEFAULTSOUNDFILENAME=\n"
                                "ALWAYSONTOP=0\n"
                                "DISABLEHOTKEYS=0\n"
                                "NOTIFYSNIPER=0\n"
                                "NOTIFYROCKET=0\n"
                                "NOTIFYCAMO=0\n"
                                "NOTIFYOVERSHIELD=0\n"
                                "BOXTYPE=0\n"
                                "RESPAWNSOUND=0\n";
    EXPECT_EQ(iniContent(), expected);
    EXPECT_EQ(savedCount, 1);
    EXPECT_EQ(fileWhenSaved, expected); // the reload came after the last write
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(OptionsDialogTest, SectionWithoutTheKeysReadsLikeNoFile)
{
    writeIni("[settings]\nother=1\n[0]\nnotifysniper=1\ntime=9\n");
    open();
    EXPECT_EQ(timeBox()->text(), "");
    EXPECT_EQ(box("chkNotifyWeapons_0")->checkState(), Qt::Unchecked);
    EXPECT_TRUE(option("optRespawn_0")->isChecked());
    EXPECT_TRUE(option("optBoxType_0")->isChecked());
}

// The item boxes read their key as a whole number, a half going to the even
// neighbour; only 0, 1 and 2 are states a box takes.
TEST_F(OptionsDialogTest, ItemBoxesTakeTheRoundedWholeNumber)
{
    struct Row {
        const char* stored;
        Qt::CheckState shown;
    };
    static const Row rows[] = {
        {"0", Qt::Unchecked},      {"1", Qt::Checked},         {"2", Qt::PartiallyChecked},
        {"5", Qt::Unchecked},      {"3", Qt::Unchecked},       {"-1", Qt::Unchecked},
        {"abc", Qt::Unchecked},    {"", Qt::Unchecked},        {"1.5", Qt::PartiallyChecked},
        {"2.5", Qt::PartiallyChecked}, {"0.5", Qt::Unchecked}, {"0.6", Qt::Checked},
        {"1.4", Qt::Checked},      {"3.5", Qt::Unchecked},     {"-0.5", Qt::Unchecked},
        {"1e0", Qt::Checked},      {"+2", Qt::PartiallyChecked}, {"32768", Qt::Unchecked},
        {"40000", Qt::Unchecked},  {"1,5", Qt::Unchecked},     {"True", Qt::Unchecked},
        {"1 2", Qt::Unchecked},
    };
    for (const Row& row : rows) {
        writeSettings(QByteArray("notifycamo=") + row.stored);
        open();
        EXPECT_EQ(box("chkNotifyWeapons_2")->checkState(), row.shown) << "stored " << row.stored;
        for (const char* other : {"chkNotifyWeapons_0", "chkNotifyWeapons_1", "chkNotifyWeapons_3"})
            EXPECT_EQ(box(other)->checkState(), Qt::Unchecked) << other;
    }
}

TEST_F(OptionsDialogTest, EachItemKeyFillsItsOwnBox)
{
    writeSettings("notifysniper=2\nNOTIFYROCKET=1\nNotifyCamo=0\nnotifyovershield=1");
    open();
    EXPECT_EQ(box("chkNotifyWeapons_0")->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(box("chkNotifyWeapons_1")->checkState(), Qt::Checked);
    EXPECT_EQ(box("chkNotifyWeapons_2")->checkState(), Qt::Unchecked);
    EXPECT_EQ(box("chkNotifyWeapons_3")->checkState(), Qt::Checked);
}

// disablehotkeys, boxtype and respawnsound are truth values: true or false in any
// letter case, or a number that is not zero.
TEST_F(OptionsDialogTest, TruthSettingsAcceptWordsAndNumbers)
{
    struct Row {
        const char* stored;
        bool truth;
    };
    static const Row rows[] = {
        {"1", true},      {"-1", true},      {"2", true},      {"0.5", true},  {"TRUE", true},
        {"true", true},   {"True", true},    {" 7 ", true},    {"0", false},   {"0.0", false},
        {"False", false}, {"FALSE", false},  {"yes", false},   {"", false},    {"PAL", false},
        {"abc", false},   {"on", false},
    };
    for (const Row& row : rows) {
        writeSettings(QByteArray("disablehotkeys=") + row.stored + "\nboxtype=" + row.stored +
                      "\nrespawnsound=" + row.stored + "\ndefaultsoundfilename=/s/ding.wav");
        open();
        EXPECT_EQ(box("chkHotkeys")->checkState(), row.truth ? Qt::Checked : Qt::Unchecked)
            << "stored " << row.stored;
        EXPECT_EQ(option("optBoxType_1")->isChecked(), row.truth) << "stored " << row.stored;
        EXPECT_EQ(option("optBoxType_0")->isChecked(), !row.truth) << "stored " << row.stored;
        EXPECT_EQ(option("optRespawn_1")->isChecked(), row.truth) << "stored " << row.stored;
        EXPECT_EQ(option("optRespawn_0")->isChecked(), !row.truth) << "stored " << row.stored;
    }
    EXPECT_TRUE(dialogs.fileRequests.isEmpty()); // a sound file was set every time
}

// disablescreensaver and alwaysontop are read as numbers and must equal 1.
TEST_F(OptionsDialogTest, NumberSettingsAreCheckedOnlyWhenEqualToOne)
{
    struct Row {
        const char* stored;
        bool checked;
    };
    static const Row rows[] = {
        {"1", true},       {"01", true},     {"1.0", true},   {"1.", true},   {"+1", true},
        {"1e0", true},     {"0.1e1", true},  {"-1", false},   {"2", false},   {"True", false},
        {"", false},       {"0", false},     {"abc", false},  {"0.9999", false}, {"1.0001", false},
        {"1,0", false},
    };
    for (const Row& row : rows) {
        writeSettings(QByteArray("disablescreensaver=") + row.stored + "\nalwaysontop=" +
                      row.stored);
        open();
        const Qt::CheckState expected = row.checked ? Qt::Checked : Qt::Unchecked;
        EXPECT_EQ(box("chkDisableScreensaver")->checkState(), expected) << "stored " << row.stored;
        EXPECT_EQ(box("chkOnTop")->checkState(), expected) << "stored " << row.stored;
    }
}

TEST_F(OptionsDialogTest, TimeAndSoundFileAreShownAsStored)
{
    writeSettings("time=abc\ndefaultsoundfilename=C:\\sounds\\ding.wav");
    open();
    EXPECT_EQ(timeBox()->text(), "abc");
    EXPECT_EQ(dialog->sSoundFile, "C:\\sounds\\ding.wav");
}

// ---------------------------------------------------------------- saving

TEST_F(OptionsDialogTest, OkWritesBackWhatWasReadInTheDialogsOwnForms)
{
    writeIni("; kept\n"
             "[settings]\n"
             "time=abc\n"
             "notifysniper=2\n"
             "notifyrocket=5\n"
             "NotifyCamo=1.5\n"
             "notifyovershield=0.6\n"
             "respawnsound=True\n"
             "defaultsoundfilename=/home/u/ding.wav\n"
             "boxtype=PAL\n"
             "alwaysontop=01\n"
             "disablescreensaver=1.0\n"
             "disablehotkeys=-1\n"
             "extra=x\n"
             "\n"
             "[0]\n"
             "sniper=120\n");
    open();
    dialog->show();
    pressOk();
    EXPECT_EQ(iniContent(), "; kept\n"
                            "[settings]\n"
                            "time=abc\n"
                            "notifysniper=2\n"
                            "notifyrocket=0\n"
                            "NotifyCamo=2\n"
                            "notifyovershield=1\n"
                            "respawnsound=1\n"
                            "defaultsoundfilename=/home/u/ding.wav\n"
                            "boxtype=0\n"
                            "alwaysontop=1\n"
                            "disablescreensaver=1\n"
                            "disablehotkeys=1\n"
                            "extra=x\n"
                            "\n"
                            "[0]\n"
                            "sniper=120\n");
    EXPECT_EQ(savedCount, 1);
    EXPECT_EQ(fileWhenSaved, iniContent());
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(OptionsDialogTest, OkWritesTheUsersChoices)
{
    writeSettings("time=15\nnotifysniper=1\nrespawnsound=0\nboxtype=0");
    open();
    dialog->show();
    timeBox()->setText(QStringLiteral(" 7 "));
    QTest::mouseClick(box("chkNotifyWeapons_0"), Qt::LeftButton); // checked -> clear
    QTest::mouseClick(box("chkNotifyWeapons_3"), Qt::LeftButton); // clear -> checked
    QTest::mouseClick(box("chkOnTop"), Qt::LeftButton);
    QTest::mouseClick(option("optBoxType_1"), Qt::LeftButton);
    QTest::mouseClick(option("optRespawn_1"), Qt::LeftButton); // a single click browses nothing
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());
    pressOk();
    EXPECT_EQ(iniContent(), "[settings]\n"
                            "time= 7 \n"
                            "notifysniper=0\n"
                            "respawnsound=1\n"
                            "boxtype=1\n"
                            "DISABLESCREENSAVER=0\n"
                            "DEFAULTSOUNDFILENAME=\n"
                            "ALWAYSONTOP=1\n"
                            "DISABLEHOTKEYS=0\n"
                            "NOTIFYROCKET=0\n"
                            "NOTIFYCAMO=0\n"
                            "NOTIFYOVERSHIELD=1\n");
    EXPECT_EQ(savedCount, 1);
}

TEST_F(OptionsDialogTest, ClicksMoveABoxOnlyBetweenClearAndChecked)
{
    writeSettings("notifysniper=2\nnotifyrocket=2");
    open();
    dialog->show();
    SettingCheckBox* sniper = box("chkNotifyWeapons_0");
    SettingCheckBox* camo = box("chkNotifyWeapons_2");
    EXPECT_EQ(sniper->value(), 2);

    // Greyed leaves at the first click and never comes back.
    QList<int> seen;
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(sniper, Qt::LeftButton);
        seen << sniper->value();
    }
    EXPECT_EQ(seen, (QList<int>{0, 1, 0, 1}));
    seen.clear();
    for (int i = 0; i < 4; ++i) {
        camo->setFocus();
        QTest::keyClick(camo, Qt::Key_Space);
        seen << camo->value();
    }
    EXPECT_EQ(seen, (QList<int>{1, 0, 1, 0}));

    pressOk();
    // The untouched greyed box goes back as 2.
    EXPECT_EQ(iniContent(), "[settings]\n"
                            "notifysniper=1\n"
                            "notifyrocket=2\n"
                            "TIME=\n"
                            "DISABLESCREENSAVER=0\n"
                            "DEFAULTSOUNDFILENAME=\n"
                            "ALWAYSONTOP=0\n"
                            "DISABLEHOTKEYS=0\n"
                            "NOTIFYCAMO=0\n"
                            "NOTIFYOVERSHIELD=0\n"
                            "BOXTYPE=0\n"
                            "RESPAWNSOUND=0\n");
}

TEST_F(OptionsDialogTest, BoxRefusesStatesItDoesNotHave)
{
    SettingCheckBox b(QStringLiteral("x"));
    struct Row {
        int given;
        bool taken;
        int after;
    };
    // Starting from checked, so that a refused state is seen to change nothing.
    static const Row rows[] = {{0, true, 0}, {1, true, 1}, {2, true, 2},
                               {3, false, 1}, {-1, false, 1}, {255, false, 1}};
    for (const Row& row : rows) {
        b.setValue(1);
        EXPECT_EQ(b.setValue(row.given), row.taken) << row.given;
        EXPECT_EQ(b.value(), row.after) << row.given;
    }
}

TEST_F(OptionsDialogTest, CancelAndTheCloseBoxWriteNothing)
{
    const std::string stored = "[settings]\r\ntime = 12 \r\nnotifysniper=2\r\nboxtype=PAL\r\n";
    for (bool closeBox : {false, true}) {
        writeIni(QByteArray::fromStdString(stored));
        savedCount = 0;
        open();
        dialog->show();
        timeBox()->setText(QStringLiteral("30"));
        QTest::mouseClick(box("chkNotifyWeapons_0"), Qt::LeftButton);
        QTest::mouseClick(option("optBoxType_1"), Qt::LeftButton);
        if (closeBox)
            dialog->close();
        else
            QTest::mouseClick(find<QPushButton>("Command2"), Qt::LeftButton);
        EXPECT_FALSE(dialog->isVisible()) << closeBox;
        EXPECT_EQ(iniContent(), stored) << closeBox;
        EXPECT_EQ(savedCount, 0) << closeBox;
    }
    // Without a file, none is made.
    QFile::remove(iniPath());
    open();
    dialog->show();
    dialog->Command2_Click();
    EXPECT_FALSE(QFile::exists(iniPath()));
}

// ---------------------------------------------------------------- the sound file

TEST_F(OptionsDialogTest, DefaultSoundWithoutAFileAsksForOneBeforeTheWindowShows)
{
    writeSettings("respawnsound=1\ndefaultsoundfilename=");
    dialogs.fileAnswers.push_back(QStringLiteral("/music/ding.wav"));
    open();
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_FALSE(dialog->isVisible());
    const OpenFileRequest& r = dialogs.fileRequests.first();
    EXPECT_EQ(r.title, "Browse for sound file");
    EXPECT_EQ(r.filter, "Wav Files (*.wav)");
    EXPECT_EQ(r.defaultSuffix, "wav");
    EXPECT_EQ(r.startFolder, dir.path());
    EXPECT_EQ(r.fileName, "");
    EXPECT_EQ(dialog->sSoundFile, "/music/ding.wav");
    EXPECT_TRUE(option("optRespawn_1")->isChecked());

    // The browse writes nothing; OK does.
    EXPECT_EQ(iniContent(), "[settings]\nrespawnsound=1\ndefaultsoundfilename=\n");
    dialog->show();
    pressOk();
    EXPECT_TRUE(iniHas("\ndefaultsoundfilename=/music/ding.wav\n")) << iniContent();
}

TEST_F(OptionsDialogTest, NoBrowseAtOpeningUnlessDefaultSoundAndNoFile)
{
    struct Row {
        const char* settings;
        bool browses;
    };
    static const Row rows[] = {
        {"respawnsound=1\ndefaultsoundfilename=/a.wav", false},
        {"respawnsound=0", false},
        {"respawnsound=yes", false},
        {"respawnsound=-1", true},
        {"respawnsound=TRUE\ndefaultsoundfilename=", true},
    };
    for (const Row& row : rows) {
        writeSettings(row.settings);
        dialogs.fileRequests.clear();
        open();
        EXPECT_EQ(dialogs.fileRequests.size(), row.browses ? 1 : 0) << row.settings;
    }
}

TEST_F(OptionsDialogTest, CancellingTheFirstBrowseThenOkWritesTheSoundFileEmpty)
{
    writeSettings("respawnsound=1");
    open(); // no answer scripted: the user cancels
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialog->sSoundFile, "");
    dialog->show();
    pressOk();
    EXPECT_TRUE(iniHas("\nDEFAULTSOUNDFILENAME=\n")) << iniContent();
    EXPECT_TRUE(iniHas("\nrespawnsound=1\n")) << iniContent();
    EXPECT_EQ(savedCount, 1);
}

TEST_F(OptionsDialogTest, DoubleClickOnDefaultSoundBrowsesAndRemembersTheLastChoice)
{
    writeSettings("respawnsound=0\ndefaultsoundfilename=/stored.wav");
    open();
    dialog->show();
    QRadioButton* sayName = option("optRespawn_0");
    QRadioButton* defaultSound = option("optRespawn_1");
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());

    // The browse starts empty, not with the stored file.
    dialogs.fileAnswers.push_back(QStringLiteral("/first.wav"));
    QTest::mouseDClick(defaultSound, Qt::LeftButton);
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "");
    EXPECT_EQ(dialog->sSoundFile, "/first.wav");
    EXPECT_TRUE(defaultSound->isChecked());
    EXPECT_FALSE(defaultSound->isDown());

    // A cancelled browse keeps the last confirmed choice.
    QTest::mouseDClick(defaultSound, Qt::LeftButton);
    ASSERT_EQ(dialogs.fileRequests.size(), 2);
    EXPECT_EQ(dialogs.fileRequests[1].fileName, "/first.wav");
    EXPECT_EQ(dialog->sSoundFile, "/first.wav");

    dialogs.fileAnswers.push_back(QStringLiteral("/second.wav"));
    QTest::mouseDClick(defaultSound, Qt::LeftButton);
    ASSERT_EQ(dialogs.fileRequests.size(), 3);
    EXPECT_EQ(dialogs.fileRequests[2].fileName, "/first.wav");
    EXPECT_EQ(dialog->sSoundFile, "/second.wav");

    // Double-clicking the other button selects it and browses nothing.
    QTest::mouseDClick(sayName, Qt::LeftButton);
    EXPECT_EQ(dialogs.fileRequests.size(), 3);
    EXPECT_TRUE(sayName->isChecked());
    EXPECT_EQ(dialog->sSoundFile, "/second.wav");

    pressOk();
    EXPECT_TRUE(iniHas("\ndefaultsoundfilename=/second.wav\n")) << iniContent();
    EXPECT_TRUE(iniHas("\nrespawnsound=0\n")) << iniContent();
}

TEST_F(OptionsDialogTest, DoubleClickOnSayItemNameOpensNoDialog)
{
    writeSettings("respawnsound=1\ndefaultsoundfilename=/a.wav");
    open();
    dialog->show();
    QTest::mouseDClick(option("optRespawn_0"), Qt::LeftButton);
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());
    EXPECT_TRUE(option("optRespawn_0")->isChecked());
    dialog->optRespawn_DblClick(0);
    dialog->optRespawn_DblClick(7);
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());
    EXPECT_EQ(dialog->sSoundFile, "/a.wav");
}

// ---------------------------------------------------------------- a failed save

TEST_F(OptionsDialogTest, FailedWriteKeepsTheDialogOpenAndReloadsNothing)
{
    // A folder under a regular file cannot be created or written, not even by root.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString unwritable = blocker + QStringLiteral("/program");
    program::setFolderForTesting(unwritable);

    open();
    dialog->show();
    timeBox()->setText(QStringLiteral("25"));
    QTest::mouseClick(box("chkHotkeys"), Qt::LeftButton);
    pressOk();

    ASSERT_EQ(dialogs.messages.size(), 1);
    const auto& [text, title] = dialogs.messages.first();
    EXPECT_EQ(title, "Zorvu Timer");
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(unwritable + "/times.ini")))
        << text.toStdString();
    // The reason follows the file name.
    const QString reason = text.section(QLatin1Char('\n'), 1, 1);
    EXPECT_FALSE(reason.trimmed().isEmpty()) << text.toStdString();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(savedCount, 0);
    EXPECT_EQ(timeBox()->text(), "25");
    EXPECT_EQ(box("chkHotkeys")->checkState(), Qt::Checked);

    // Once the folder can be written, the same OK saves what the user chose.
    program::setFolderForTesting(dir.path());
    pressOk();
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(savedCount, 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(iniHas("\nTIME=25\n")) << iniContent();
    EXPECT_TRUE(iniHas("\nDISABLEHOTKEYS=1\n")) << iniContent();
}

TEST_F(OptionsDialogTest, FailedWriteOfAnExistingFileLeavesItWhole)
{
    // times.ini is a folder: it exists but cannot be read or replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("times.ini")));
    open();
    dialog->show();
    pressOk();
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(savedCount, 0);
    EXPECT_TRUE(QFileInfo(iniPath()).isDir());
}

} // namespace
