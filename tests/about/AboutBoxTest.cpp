#include "about/AboutBox.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Opened as the main window opens it: on its own, deleted when closed. It leaves
// the other windows usable and stays open whatever System Info finds; Enter
// presses OK, Esc too, wherever the focus is.
TEST(AboutBox, ModelessAndClosedByEnterOrEsc)
{
    FakePlatform fake;
    const auto open = [&] {
        QPointer<AboutBox> box = new AboutBox(fake.registry, fake.launcher, fake.dialogs);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
        return box;
    };
    QPointer<AboutBox> box = open();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("About Zorvu Timer")); // Form_Load ran
    QTest::mouseClick(box->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
    EXPECT_EQ(fake.dialogs.messages.size(), 1); // nothing to start: the user is told
    EXPECT_TRUE(box && box->isVisible());
    delete box;

    const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*> cases[] = {
        {Qt::Key_Return, Qt::NoModifier, "cmdOK"},
        {Qt::Key_Enter, Qt::KeypadModifier, nullptr}, // nullptr: the box itself
        {Qt::Key_Escape, Qt::NoModifier, "cmdSysInfo"},
    };
    for (const auto& [key, modifiers, target] : cases) {
        box = open();
        QTest::keyClick(target ? box->findChild<QWidget*>(target) : box.data(), key, modifiers);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(box.isNull()) << key << " on " << (target ? target : "the box");
        delete box;
    }
    EXPECT_EQ(fake.dialogs.messages.size(), 1); // no key pressed System Info
}

} // namespace
