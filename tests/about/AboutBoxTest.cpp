#include "about/AboutBox.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct AboutBoxTest : ::testing::Test {
    FakeRegistry registry;
    FakeLauncher launcher;
    FakeDialogs dialogs;
    QPointer<AboutBox> box;

    // Opened as the main window opens it: on its own, deleted when closed.
    void SetUp() override
    {
        box = new AboutBox(registry, launcher, dialogs);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    }
    void TearDown() override { delete box; }
};

// Enter presses OK, Esc too, wherever the focus is.
TEST_F(AboutBoxTest, EnterAndEscCloseTheBox)
{
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*> cases[] = {
        {Qt::Key_Return, Qt::NoModifier, "cmdOK"},
        {Qt::Key_Enter, Qt::KeypadModifier, nullptr}, // nullptr: the box itself
        {Qt::Key_Escape, Qt::NoModifier, "cmdSysInfo"},
        {Qt::Key_Escape, Qt::NoModifier, nullptr},
    };
    for (const auto& [key, modifiers, target] : cases) {
        if (!box)
            SetUp(); // the next box
        QTest::keyClick(target ? box->findChild<QWidget*>(target) : box.data(), key, modifiers);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(box.isNull()) << key << " on " << (target ? target : "the box");
    }
    EXPECT_TRUE(launcher.started.isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The box leaves the other windows usable, and the program's title is its own.
TEST_F(AboutBoxTest, ModelessWithTheProgramsTitle)
{
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("About Zorvu Timer"));
    EXPECT_EQ(box->findChild<QLabel*>("lblTitle")->text(), QStringLiteral("Zorvu Timer"));
}

// The button runs the launcher, and the box stays open whatever it finds.
TEST_F(AboutBoxTest, SystemInfoSaysWhenThereIsNoProgramAndStaysOpen)
{
    QTest::mouseClick(box->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(box && box->isVisible());
}

} // namespace
