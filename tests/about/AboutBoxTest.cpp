#include "about/AboutBox.h"
#include "about/ProgramIcon.h"
#include "support/FakePlatform.h"
#include "support/Printers.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");

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

    static void deleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    template <class T>
    static T* child(QWidget* box, const char* name)
    {
        return box->findChild<T*>(QString::fromLatin1(name));
    }
};

TEST_F(AboutBoxTest, CaptionAndTexts)
{
    AboutBox box(registry, launcher, dialogs);
    EXPECT_EQ(box.objectName(), QStringLiteral("frmAbout"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Zorvu Timer"));

    const struct {
        const char* name;
        QString text;
    } labels[] = {
        {"lblTitle", QStringLiteral("Zorvu Timer")},
        {"lblVersion", QStringLiteral("Version .01 Alpha")},
        {"lblDisclaimer", QString()},
    };
    for (const auto& l : labels) {
        SCOPED_TRACE(l.name);
        auto* label = child<QLabel>(&box, l.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), l.text);
    }
    const QString credit = child<QLabel>(&box, "lblDescription")->text();
    EXPECT_TRUE(credit.contains(QStringLiteral("the Zorvu Timer developers")));
    EXPECT_TRUE(credit.contains(QStringLiteral("issue tracker")));
    EXPECT_FALSE(credit.contains(QStringLiteral("1.0")));

    EXPECT_EQ(child<QPushButton>(&box, "cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_EQ(child<QPushButton>(&box, "cmdSysInfo")->text(), QStringLiteral("&System Info..."));
}

TEST_F(AboutBoxTest, Layout)
{
    AboutBox box(registry, launcher, dialogs);
    EXPECT_EQ(box.size(), QSize(382, 237));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(box.parentWidget(), nullptr);
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);

    const struct {
        const char* name;
        QRect geometry;
    } controls[] = {
        {"picIcon", QRect(16, 16, 36, 36)},       {"lblTitle", QRect(70, 16, 259, 32)},
        {"lblVersion", QRect(70, 52, 259, 15)},   {"lblDescription", QRect(70, 75, 259, 78)},
        {"lblDisclaimer", QRect(17, 175, 258, 55)}, {"cmdOK", QRect(283, 175, 84, 23)},
        {"cmdSysInfo", QRect(284, 205, 83, 23)},
        // The etched rule: grey above white.
        {"Line1_1", QRect(6, 163, 372, 1)},       {"Line1_0", QRect(7, 164, 371, 1)},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        auto* widget = child<QWidget>(&box, c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), c.geometry);
    }
    EXPECT_EQ(child<QWidget>(&box, "Line1_0")->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(child<QWidget>(&box, "Line1_1")->palette().color(QPalette::Window),
              QColor(128, 128, 128));
}

TEST_F(AboutBoxTest, ShowsTheProgramsIcon)
{
    AboutBox box(registry, launcher, dialogs);
    const QPixmap icon = child<QLabel>(&box, "picIcon")->pixmap();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.toImage(), program::iconImage().toImage());

    // Sixteen colours, and a transparent background around the stopwatch.
    const QImage image = icon.toImage().convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                colours << image.pixel(x, y);
    EXPECT_LE(colours.size(), 16);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);

    const QIcon all = program::icon();
    for (int size : {32, 48, 64, 128, 256})
        EXPECT_EQ(all.pixmap(QSize(size, size)).size(), QSize(size, size)) << size;
}

TEST_F(AboutBoxTest, OkIsTheDefaultButtonAndFirstInTabOrder)
{
    AboutBox box(registry, launcher, dialogs);
    auto* ok = child<QPushButton>(&box, "cmdOK");
    auto* sysInfo = child<QPushButton>(&box, "cmdSysInfo");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(sysInfo->isDefault());
    EXPECT_EQ(ok->nextInFocusChain(), sysInfo);
}

TEST_F(AboutBoxTest, EnterAndEscCloseTheBox)
{
    const struct {
        const char* name;
        Qt::Key key;
        const char* target; // the control with the focus, or the box itself
    } cases[] = {
        {"Enter on OK", Qt::Key_Return, "cmdOK"},
        {"Enter on the box", Qt::Key_Return, nullptr},
        {"keypad Enter on the box", Qt::Key_Enter, nullptr},
        {"Esc on OK", Qt::Key_Escape, "cmdOK"},
        {"Esc on System Info", Qt::Key_Escape, "cmdSysInfo"},
        {"Esc on the box", Qt::Key_Escape, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QPointer<AboutBox> box = open();
        QWidget* target = c.target ? child<QWidget>(box, c.target) : box.data();
        Qt::KeyboardModifiers modifiers =
            c.key == Qt::Key_Enter && !c.target ? Qt::KeypadModifier : Qt::NoModifier;
        QTest::keyClick(target, c.key, modifiers);
        EXPECT_FALSE(box && box->isVisible());
        deleteClosed();
        EXPECT_TRUE(box.isNull());
    }
    EXPECT_TRUE(launcher.started.isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(AboutBoxTest, OkClosesTheBox)
{
    QPointer<AboutBox> box = open();
    QTest::mouseClick(child<QPushButton>(box, "cmdOK"), Qt::LeftButton);
    deleteClosed();
    EXPECT_TRUE(box.isNull());
}

TEST_F(AboutBoxTest, SystemInfoStartsTheRegisteredProgram)
{
    registry.keys[kPathKey][QStringLiteral("PATH")] = RegistryValue{1, "/usr/bin/hardinfo"};
    QPointer<AboutBox> box = open();
    QTest::mouseClick(child<QPushButton>(box, "cmdSysInfo"), Qt::LeftButton);
    EXPECT_EQ(launcher.started, QStringList{QStringLiteral("/usr/bin/hardinfo")});
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(box && box->isVisible());
    delete box;
}

TEST_F(AboutBoxTest, SystemInfoWithoutAProgramSaysSoAndStaysOpen)
{
    QPointer<AboutBox> box = open();
    QTest::mouseClick(child<QPushButton>(box, "cmdSysInfo"), Qt::LeftButton);
    EXPECT_TRUE(launcher.started.isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
              std::make_pair(QStringLiteral("System Information Is Unavailable At This Time"),
                             QStringLiteral("Zorvu Timer")));
    EXPECT_TRUE(box && box->isVisible());
    delete box;
}

TEST_F(AboutBoxTest, AltSPressesSystemInfo)
{
    QPointer<AboutBox> box = open();
    // The access key answers in the active window.
    box->activateWindow();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), box);
    auto* sysInfo = child<QPushButton>(box, "cmdSysInfo");
    EXPECT_FALSE(sysInfo->isDown());
    QTest::keyClick(box, Qt::Key_S, Qt::AltModifier);
    // The key presses the button down; the click follows when it comes back up.
    EXPECT_TRUE(sysInfo->isDown());
    delete box;
}

} // namespace
