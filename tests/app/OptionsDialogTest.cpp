#include "app/OptionsDialog.h"
#include "settings/Ini.h"
#include "settings/Settings.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

class OptionsDialogTest : public ::testing::Test {
protected:
    OptionsDialog& open()
    {
        dialog = std::make_unique<OptionsDialog>(dialogs, dir.files());
        QObject::connect(dialog.get(), &OptionsDialog::saved, [this] { saves << dir.ini(); });
        return *dialog;
    }
    QWidget* find(const QString& name) const { return dialog->findChild<QWidget*>(name); }

    TempProgramFolder dir;
    FakeDialogs dialogs;
    std::unique_ptr<OptionsDialog> dialog;
    QByteArrayList saves; // the file as it was each time the window said it saved
};

// What the window shows of the stored settings, changed by the user's clicks, is
// what OK writes back, in the window's own form. Each row: the settings section's
// lines; the actions (a control's name clicks it, dbl: double-clicks it, text: sets
// the lead time, file: is the next browse's answer); the keys written (time
// screensaver sound ontop hotkeys, notify x4, boxtype respawnsound); the browses
// before the window showed / in all.
TEST_F(OptionsDialogTest, OkWritesWhatTheWindowShows)
{
    const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
        {"", "", "|0||0|0|0|0|0|0|0|0", "0/0"},
        // Three-state boxes take 0, 1 and 2 only; a half goes to the even neighbour.
        {"notifysniper=2 notifyrocket=5 notifycamo=2.5 notifyovershield=0.6", "",
         "|0||0|0|2|0|2|1|0|0", "0/0"},
        {"disablehotkeys=TRUE boxtype=-1 respawnsound=True defaultsoundfilename=C:\\a.wav", "",
         "|0|C:\\a.wav|0|1|0|0|0|0|1|1", "0/0"},
        // Screen saver and on top: only a number equal to 1 checks them.
        {"disablescreensaver=1.0 alwaysontop=2", "", "|1||0|0|0|0|0|0|0|0", "0/0"},
        {"disablescreensaver=True alwaysontop=01", "", "|0||1|0|0|0|0|0|0|0", "0/0"},
        // A click moves a box between clear and checked; greyed comes only from the file.
        {"notifysniper=2 notifyrocket=2",
         "chkNotifyWeapons_0 chkNotifyWeapons_0 chkNotifyWeapons_0 chkNotifyWeapons_3 chkOnTop "
         "optBoxType_1 optRespawn_1 text:7",
         "7|0||1|0|0|2|0|1|1|1", "0/0"},
        // The default sound without a file: a browse before the window shows; cancelled,
        // the default sound stays chosen.
        {"respawnsound=1", "file:/music/ding.wav", "|0|/music/ding.wav|0|0|0|0|0|0|0|1", "1/1"},
        {"respawnsound=1", "", "|0||0|0|0|0|0|0|0|1", "1/1"},
        // A double click browses; a cancelled browse keeps the last choice, empty at first.
        {"defaultsoundfilename=/stored.wav",
         "dbl:optRespawn_1 file:/first.wav dbl:optRespawn_1 dbl:optRespawn_1 dbl:optRespawn_0",
         "|0|/first.wav|0|0|0|0|0|0|0|0", "0/3"},
        {"defaultsoundfilename=/stored.wav", "dbl:optRespawn_1", "|0||0|0|0|0|0|0|0|1", "0/1"},
    };
    for (const auto& [stored, steps, written, browses] : rows) {
        SCOPED_TRACE(std::string(stored) + " / " + steps);
        ASSERT_TRUE(dir.writeIni(QByteArray("[settings] ").append(stored).replace(' ', '\n')));
        dialogs = {};
        const QStringList actions = QString(steps).split(' ', Qt::SkipEmptyParts);
        for (const QString& a : actions.filter("file:"))
            dialogs.fileAnswers << a.mid(5);
        open();
        const auto atOpen = dialogs.browses.size();
        dialog->show();
        for (const QString& a : actions) {
            if (a.startsWith("dbl:"))
                QTest::mouseDClick(find(a.mid(4)), Qt::LeftButton);
            else if (a.startsWith("text:"))
                dialog->findChild<QLineEdit*>()->setText(a.mid(5));
            else if (!a.startsWith("file:"))
                QTest::mouseClick(find(a), Qt::LeftButton);
        }
        QTest::mouseClick(find("Command1"), Qt::LeftButton);
        QStringList values;
        for (const setting::Key& key : setting::keys())
            if (key.shown != setting::Shown::Elsewhere)
                values << ReadIni("settings", key.name, dir.iniPath());
        EXPECT_EQ(values.join('|'), written);
        EXPECT_EQ(QStringLiteral("%1/%2").arg(atOpen).arg(dialogs.browses.size()), browses);
        // Each browse is modal to this window only, before it shows too.
        for (const auto& browse : dialogs.browses)
            EXPECT_EQ(browse.first, dialog.get());
        EXPECT_FALSE(dialog->isVisible());
        // Said once, with every key on disk.
        EXPECT_EQ(std::exchange(saves, {}), QByteArrayList{dir.ini()});
    }
    EXPECT_EQ(dialogs.browses.first().second.startFolder, dir.path() + "/sounds");
}

// A line break cannot go into the file: OK writes none of the keys, not even those
// before the sound file's, says so and keeps the window open; Cancel then writes nothing.
TEST_F(OptionsDialogTest, FailedSaveWritesNoneAndCancelWritesNothing)
{
    const QByteArray stored = "[settings]\r\ntime = 12 \r\nnotifysniper=2\r\n";
    ASSERT_TRUE(dir.writeIni(stored));
    dialogs.fileAnswers = {QStringLiteral("/a\nb.wav")};
    open().show();
    QTest::mouseDClick(find("optRespawn_1"), Qt::LeftButton);
    QTest::mouseClick(find("Command1"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages.first().first.contains(QDir::toNativeSeparators(dir.iniPath())));
    EXPECT_TRUE(dialog->isVisible());
    QTest::mouseClick(find("Command2"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dir.ini(), stored);
    EXPECT_TRUE(saves.isEmpty());
}

} // namespace
