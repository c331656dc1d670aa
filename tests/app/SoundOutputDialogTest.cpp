#include "app/SoundOutputDialog.h"
#include "settings/Ini.h"
#include "support/FakePlatform.h"
#include "support/ProgramFolder.h"

#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

TEST(SoundOutputDialogTest, ShowsTheChoiceTestsItAndSavesIt)
{
    FakePlatform fake;
    fake.sound.outputDevices = {{"sink.a", "Speakers"}, {"sink.b", "Headset"}};
    // The second device is unplugged: listed, so that OK for a new volume keeps it.
    const struct { SoundOutput current; int listed; } cases[] = {
        {{"sink.b", 35}, 3}, {{"usb.headset", 0}, 4}};
    const TempProgramFolder folder;
    for (const auto& c : cases) {
        const SoundOutputDialog dialog(fake.sound, fake.dialogs, c.current, -120, folder.files());
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("cboDevice"))->count(), c.listed);
        EXPECT_TRUE(dialog.output() == c.current) << c.current.device.constData();
        EXPECT_EQ(dialog.calloutOffset(), -120);
    }
    // Test plays through what is shown and chooses nothing; OK saves it and chooses it.
    SoundOutputDialog dialog(fake.sound, fake.dialogs, {}, 0, folder.files());
    dialog.findChild<QComboBox*>(QStringLiteral("cboDevice"))->setCurrentIndex(1);
    dialog.findChild<QSlider*>(QStringLiteral("sldVolume"))->setValue(20);
    dialog.findChild<QSpinBox*>(QStringLiteral("txtCalloutOffset"))->setValue(-250);
    dialog.findChild<QPushButton*>(QStringLiteral("cmdTest"))->click();
    const SoundOutput shown{"sink.a", 20};
    const QString chime = folder.filePath("sounds/chime.wav");
    EXPECT_EQ(fake.sound.playedThrough, QList{std::pair(chime, shown)});
    EXPECT_TRUE(fake.sound.output == SoundOutput{} && fake.sound.played.isEmpty());
    dialog.accept();
    EXPECT_TRUE(fake.sound.output == shown);
    EXPECT_EQ(ReadIni("settings", "outputdevice", folder.iniPath()), QStringLiteral("sink.a"));
    EXPECT_EQ(ReadIni("settings", "volume", folder.iniPath()), QStringLiteral("20"));
    EXPECT_EQ(ReadIni("settings", "calloutoffset", folder.iniPath()), QStringLiteral("-250"));
}

} // namespace
