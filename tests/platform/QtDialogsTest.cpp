#include "platform/QtDialogs.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Records whether a modal window blocks the window it watches.
struct Blocked : QObject {
    bool blocked = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowUnblocked)
            blocked = event->type() == QEvent::WindowBlocked;
        return false;
    }
};

// The browse blocks the window it was opened over, shown or not yet shown, and
// never another top-level window of the program.
TEST(QtDialogs, TheOpenFileDialogBlocksOnlyItsOwnWindow)
{
    for (const bool ownerShown : {true, false}) {
        QWidget other, owner;
        other.show();
        owner.setVisible(ownerShown);
        Blocked otherBlocked, ownerBlocked;
        other.installEventFilter(&otherBlocked);
        owner.installEventFilter(&ownerBlocked);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            seen = true;
            EXPECT_FALSE(otherBlocked.blocked) << ownerShown;
            EXPECT_TRUE(ownerBlocked.blocked);
            dialog->reject();
        });
        EXPECT_EQ(QtDialogs().openFile(&owner, {}), std::nullopt);
        EXPECT_TRUE(seen);
    }
}

} // namespace
