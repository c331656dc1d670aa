#include "about/AboutBox.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct AboutBoxTest : ::testing::Test {
    FakePlatform fake;
    QPointer<AboutBox> box;

    // Opened as the main window opens it: on its own, deleted when closed.
    void SetUp() override
    {
        box = new AboutBox(fake.registry, fake.launcher, fake.dialogs);
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
    };
    for (const auto& [key, modifiers, target] : cases) {
        if (!box)
            SetUp(); // the next box
        QTest::keyClick(target ? box->findChild<QWidget*>(target) : box.data(), key, modifiers);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(box.isNull()) << key << " on " << (target ? target : "the box");
    }
    EXPECT_TRUE(fake.dialogs.messages.isEmpty()); // System Info, with nothing to start, would say so
}

// The box leaves the other windows usable, and stays open whatever System Info finds.
TEST_F(AboutBoxTest, ModelessAndOpenAfterSystemInfo)
{
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("About Zorvu Timer"));
    QTest::mouseClick(box->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
    EXPECT_EQ(fake.dialogs.messages.size(), 1);
    EXPECT_TRUE(box && box->isVisible());
}

} // namespace
