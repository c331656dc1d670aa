#include "app/SoundOutputDialog.h"
#include "support/FakePlatform.h"

#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <gtest/gtest.h>

namespace {

TEST(SoundOutputDialogTest, ShowsTheChoiceTestsItAndGivesItBack)
{
    FakeSound sound;
    sound.outputDevices = {{"sink.a", "Speakers"}, {"sink.b", "Headset"}};
    const struct { SoundOutput current; int listed; } cases[] = {
        {{"", 100}, 3},
        {{"sink.b", 35}, 3},
        {{"usb.headset", 0}, 4}, // unplugged: listed, so that OK for a new volume keeps it
    };
    for (const auto& c : cases) {
        const SoundOutputDialog dialog(sound, c.current, QString());
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("cboDevice"))->count(), c.listed);
        EXPECT_TRUE(dialog.output() == c.current) << c.current.device.constData();
    }
    // Test plays through what is shown, and chooses nothing.
    SoundOutputDialog dialog(sound, {}, QStringLiteral("chime.wav"));
    dialog.findChild<QComboBox*>(QStringLiteral("cboDevice"))->setCurrentIndex(1);
    dialog.findChild<QSlider*>(QStringLiteral("sldVolume"))->setValue(20);
    dialog.findChild<QPushButton*>(QStringLiteral("cmdTest"))->click();
    const SoundOutput shown{"sink.a", 20};
    EXPECT_EQ(sound.playedThrough, (QList<std::pair<QString, SoundOutput>>{{"chime.wav", shown}}));
    EXPECT_TRUE(sound.output == SoundOutput{} && sound.played.isEmpty());
}

} // namespace
