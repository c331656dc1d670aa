#include "about/AboutBox.h"
#include "support/FakePlatform.h"
#include "support/Printers.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class AboutBoxTest : public ::testing::Test {
protected:
    FakeRegistry registry;
    FakeLauncher launcher;
    FakeDialogs dialogs;

    // Opened as the main window opens it: on its own, deleted when closed.
    QPointer<AboutBox> open()
    {
        QPointer<AboutBox> box = new AboutBox(registry, launcher, dialogs);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
        return box;
    }

    template <class T> static T* child(QWidget* box, const char* name)
    {
        return box->findChild<T*>(QString::fromLatin1(name));
    }
};

TEST_F(AboutBoxTest, CaptionTextsAndSize)
{
    AboutBox box(registry, launcher, dialogs);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Zorvu Timer"));
    EXPECT_EQ(child<QLabel>(&box, "lblTitle")->text(), QStringLiteral("Zorvu Timer"));
    EXPECT_EQ(child<QLabel>(&box, "lblVersion")->text(), QStringLiteral("Version .01 Alpha"));
    // The program's own version numbers are shown nowhere.
    EXPECT_FALSE(child<QLabel>(&box, "lblDescription")->text().contains(QStringLiteral("1.0")));
    EXPECT_EQ(box.minimumSize(), QSize(382, 237));
    EXPECT_EQ(box.maximumSize(), QSize(382, 237));
}

TEST_F(AboutBoxTest, EnterAndEscCloseTheBox)
{
    const struct {
        const char* name;
        Qt::Key key;
        const char* target; // the control with the focus, or the box itself
    } cases[] = {
        {"Enter on OK", Qt::Key_Return, "cmdOK"},
        {"keypad Enter on the box", Qt::Key_Enter, nullptr},
        {"Esc on System Info", Qt::Key_Escape, "cmdSysInfo"},
        {"Esc on the box", Qt::Key_Escape, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QPointer<AboutBox> box = open();
        QWidget* target = c.target ? child<QWidget>(box, c.target) : box.data();
        Qt::KeyboardModifiers modifiers =
            c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        QTest::keyClick(target, c.key, modifiers);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(box.isNull());
    }
    EXPECT_TRUE(launcher.started.isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The button runs the launcher, and the box stays open whatever it finds.
TEST_F(AboutBoxTest, SystemInfoSaysWhenThereIsNoProgramAndStaysOpen)
{
    QPointer<AboutBox> box = open();
    QTest::mouseClick(child<QPushButton>(box, "cmdSysInfo"), Qt::LeftButton);
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(box && box->isVisible());
    delete box;
}

} // namespace
