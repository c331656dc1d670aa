#include "platform/ProgramInfo.h"
#include "settings/OptionsDialog.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { dialog.reset(); }

    QString iniPath() const { return dir.iniPath(); }
    void writeIni(const QByteArray& content) { ASSERT_TRUE(dir.writeIni(content)); }
    void writeSettings(const QByteArray& lines) { writeIni("[settings]\n" + lines + "\n"); }
    std::string iniContent() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
    }
    bool iniHas(const char* text) const { return iniContent().find(text) != std::string::npos; }

    OptionsDialog& open()
    {
        dialog = std::make_unique<OptionsDialog>(dialogs);
        QObject::connect(dialog.get(), &OptionsDialog::saved, [this] {
            ++savedCount;
            fileWhenSaved = iniContent();
        });
        return *dialog;
    }

    template <class T = QWidget> T* find(const char* name) const
    {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* timeBox() const { return find<QLineEdit>("txtNotificationTime"); }
    void click(const char* name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    void pressOk() { click("Command1"); }

    // A check box's state as the file numbers it; 1 for a selected option button.
    int state(const char* name) const
    {
        if (auto* b = dialog->findChild<SettingCheckBox*>(QString::fromLatin1(name)))
            return b->value();
        return find<QRadioButton>(name)->isChecked() ? 1 : 0;
    }

    TempProgramFolder dir;
    FakeDialogs dialogs;
    std::unique_ptr<OptionsDialog> dialog;
    int savedCount = 0;
    std::string fileWhenSaved;
};

// ---------------------------------------------------------------- the window

TEST_F(OptionsDialogTest, FixedClientSize)
{
    OptionsDialog& d = open();
    EXPECT_EQ(d.windowTitle(), "Options");
    EXPECT_EQ(d.minimumSize(), QSize(337, 426));
    EXPECT_EQ(d.maximumSize(), QSize(337, 426));
}

// ---------------------------------------------------------------- opening

TEST_F(OptionsDialogTest, WithoutItsKeysAllIsOffAndOkWritesElevenDefaultsInOrder)
{
    writeIni("[settings]\nother=1\n[0]\nnotifysniper=1\ntime=9\n");
    for (bool fileExists : {true, false}) {
        SCOPED_TRACE(fileExists);
        if (!fileExists)
            QFile::remove(iniPath());
        open();
        EXPECT_EQ(timeBox()->text(), "");
        EXPECT_EQ(dialog->sSoundFile, "");
        for (const char* name : {"chkNotifyWeapons_0", "chkNotifyWeapons_1", "chkNotifyWeapons_2",
                                 "chkNotifyWeapons_3", "chkDisableScreensaver", "chkOnTop",
                                 "chkHotkeys", "optRespawn_1", "optBoxType_1"})
            EXPECT_EQ(state(name), 0) << name;
    }
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

// A stored value is shown through its conversion, and OK writes back what the
// control shows, in the dialog's own form. The text values pass unchanged.
TEST_F(OptionsDialogTest, StoredValuesAreShownAndWrittenBackConverted)
{
    struct Row {
        const char* stored;
        const char* control; // none for a text value
        int shown;
        const char* written;
    };
    static const Row rows[] = {
        // A whole number, a half going to the even neighbour; a box takes only 0, 1, 2.
        {"notifysniper=2", "chkNotifyWeapons_0", 2, "notifysniper=2"},
        {"notifyrocket=5", "chkNotifyWeapons_1", 0, "notifyrocket=0"},
        {"notifyrocket=abc", "chkNotifyWeapons_1", 0, "notifyrocket=0"},
        {"notifycamo=1.5", "chkNotifyWeapons_2", 2, "notifycamo=2"},
        {"notifycamo=2.5", "chkNotifyWeapons_2", 2, "notifycamo=2"},
        {"notifycamo=0.5", "chkNotifyWeapons_2", 0, "notifycamo=0"},
        {"notifycamo=0.6", "chkNotifyWeapons_2", 1, "notifycamo=1"},
        {"notifyovershield=1", "chkNotifyWeapons_3", 1, "notifyovershield=1"},
        // True or false in any letter case, or a number that is not zero.
        {"disablehotkeys=-1", "chkHotkeys", 1, "disablehotkeys=1"},
        {"disablehotkeys=TRUE", "chkHotkeys", 1, "disablehotkeys=1"},
        {"disablehotkeys=yes", "chkHotkeys", 0, "disablehotkeys=0"},
        {"boxtype=PAL", "optBoxType_1", 0, "boxtype=0"},
        {"boxtype=-1", "optBoxType_1", 1, "boxtype=1"},
        {"respawnsound=True\ndefaultsoundfilename=/a.wav", "optRespawn_1", 1, "respawnsound=1"},
        // A number that must equal 1.
        {"disablescreensaver=1.0", "chkDisableScreensaver", 1, "disablescreensaver=1"},
        {"disablescreensaver=-1", "chkDisableScreensaver", 0, "disablescreensaver=0"},
        {"disablescreensaver=True", "chkDisableScreensaver", 0, "disablescreensaver=0"},
        {"alwaysontop=01", "chkOnTop", 1, "alwaysontop=1"},
        {"alwaysontop=2", "chkOnTop", 0, "alwaysontop=0"},
        {"alwaysontop=", "chkOnTop", 0, "alwaysontop=0"},
        {"time=abc", nullptr, 0, "time=abc"},
        {"defaultsoundfilename=C:\\sounds\\ding.wav", nullptr, 0,
         "defaultsoundfilename=C:\\sounds\\ding.wav"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        writeSettings(row.stored);
        open();
        if (row.control) {
            EXPECT_EQ(state(row.control), row.shown);
        }
        dialog->show();
        pressOk();
        EXPECT_TRUE(iniHas((std::string("\n") + row.written + "\n").c_str())) << iniContent();
    }
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());
}

// ---------------------------------------------------------------- saving

// Clicks move a box only between clear and checked: greyed comes only from a
// stored 2, and an untouched greyed box goes back as 2.
TEST_F(OptionsDialogTest, OkWritesTheUsersChoices)
{
    writeSettings("time=15\nnotifysniper=2\nnotifyrocket=2\nrespawnsound=0");
    open();
    dialog->show();
    QList<int> seen;
    for (int i = 0; i < 3; ++i) {
        click("chkNotifyWeapons_0");
        seen << state("chkNotifyWeapons_0");
    }
    EXPECT_EQ(seen, (QList<int>{0, 1, 0}));
    timeBox()->setText(QStringLiteral(" 7 "));
    for (const char* name : {"chkNotifyWeapons_3", "chkOnTop", "optBoxType_1", "optRespawn_1"})
        click(name); // a single click on the default sound browses nothing
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());
    pressOk();
    EXPECT_EQ(iniContent(), "[settings]\n"
                            "time= 7 \n"
                            "notifysniper=0\n"
                            "notifyrocket=2\n"
                            "respawnsound=1\n"
                            "DISABLESCREENSAVER=0\n"
                            "DEFAULTSOUNDFILENAME=\n"
                            "ALWAYSONTOP=1\n"
                            "DISABLEHOTKEYS=0\n"
                            "NOTIFYCAMO=0\n"
                            "NOTIFYOVERSHIELD=1\n"
                            "BOXTYPE=1\n");
    EXPECT_EQ(savedCount, 1);
}

TEST_F(OptionsDialogTest, CancelAndTheCloseBoxWriteNothing)
{
    const std::string stored = "[settings]\r\ntime = 12 \r\nnotifysniper=2\r\nboxtype=PAL\r\n";
    for (bool closeBox : {false, true}) {
        writeIni(QByteArray::fromStdString(stored));
        open();
        dialog->show();
        timeBox()->setText(QStringLiteral("30"));
        click("chkNotifyWeapons_0");
        click("optBoxType_1");
        if (closeBox)
            dialog->close();
        else
            click("Command2");
        EXPECT_FALSE(dialog->isVisible()) << closeBox;
        EXPECT_EQ(iniContent(), stored) << closeBox;
    }
    EXPECT_EQ(savedCount, 0);
}

// ---------------------------------------------------------------- the sound file

// The default sound is chosen but no file is set: the browse runs before the
// window shows and writes nothing; OK writes what it gave, empty when cancelled.
TEST_F(OptionsDialogTest, DefaultSoundWithoutAFileAsksForOneBeforeTheWindowShows)
{
    struct Row {
        const char* settings;
        const char* answer; // none: the user cancels
        const char* written;
    };
    static const Row rows[] = {
        {"respawnsound=1\ndefaultsoundfilename=", "/music/ding.wav",
         "\ndefaultsoundfilename=/music/ding.wav\n"},
        {"respawnsound=1", nullptr, "\nDEFAULTSOUNDFILENAME=\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.settings);
        writeSettings(row.settings);
        const std::string stored = iniContent();
        dialogs.fileRequests.clear();
        if (row.answer)
            dialogs.fileAnswers.push_back(QString::fromLatin1(row.answer));
        open();
        ASSERT_EQ(dialogs.fileRequests.size(), 1);
        EXPECT_FALSE(dialog->isVisible());
        const OpenFileRequest& r = dialogs.fileRequests.first();
        EXPECT_EQ(r.title, "Browse for sound file");
        EXPECT_EQ(r.filter, "Wav Files (*.wav)");
        EXPECT_EQ(r.defaultSuffix, "wav");
        EXPECT_EQ(r.startFolder, dir.path());
        EXPECT_EQ(r.fileName, "");
        EXPECT_EQ(iniContent(), stored);
        dialog->show();
        pressOk();
        EXPECT_TRUE(iniHas(row.written)) << iniContent();
        EXPECT_TRUE(iniHas("\nrespawnsound=1\n")) << iniContent();
    }
}

TEST_F(OptionsDialogTest, DoubleClickOnDefaultSoundBrowsesAndRemembersTheLastChoice)
{
    writeSettings("respawnsound=0\ndefaultsoundfilename=/stored.wav");
    open();
    dialog->show();
    auto* defaultSound = find<QRadioButton>("optRespawn_1");

    // The browse starts empty, not with the stored file, and cancelling it
    // leaves no file.
    QTest::mouseDClick(defaultSound, Qt::LeftButton);
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "");
    EXPECT_EQ(dialog->sSoundFile, "");
    EXPECT_TRUE(defaultSound->isChecked());
    EXPECT_FALSE(defaultSound->isDown());

    dialogs.fileAnswers.push_back(QStringLiteral("/first.wav"));
    QTest::mouseDClick(defaultSound, Qt::LeftButton);
    EXPECT_EQ(dialog->sSoundFile, "/first.wav");

    // A later cancelled browse keeps the last confirmed choice.
    QTest::mouseDClick(defaultSound, Qt::LeftButton);
    ASSERT_EQ(dialogs.fileRequests.size(), 3);
    EXPECT_EQ(dialogs.fileRequests[2].fileName, "/first.wav");
    EXPECT_EQ(dialog->sSoundFile, "/first.wav");

    // Double-clicking "Say item name" selects it and browses nothing.
    QTest::mouseDClick(find("optRespawn_0"), Qt::LeftButton);
    EXPECT_EQ(dialogs.fileRequests.size(), 3);
    EXPECT_EQ(state("optRespawn_0"), 1);

    pressOk();
    EXPECT_TRUE(iniHas("\ndefaultsoundfilename=/first.wav\n")) << iniContent();
    EXPECT_TRUE(iniHas("\nrespawnsound=0\n")) << iniContent();
}

// ---------------------------------------------------------------- a failed save

TEST_F(OptionsDialogTest, FailedWriteSaysSoAndKeepsTheDialogOpen)
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
    pressOk();

    ASSERT_EQ(dialogs.messages.size(), 1);
    const QString text = dialogs.messages.first().first;
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(unwritable + "/times.ini")))
        << text.toStdString();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(savedCount, 0);

    // Once the folder can be written, the same OK saves what the user typed.
    program::setFolderForTesting(dir.path());
    pressOk();
    EXPECT_EQ(savedCount, 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(iniHas("\nTIME=25\n")) << iniContent();
}

} // namespace
