#include "platform/QtDialogs.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Records when a modal window blocks (true) and unblocks (false) the window it watches.
struct Blocked : QObject {
    QList<bool> events;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowUnblocked)
            events << (event->type() == QEvent::WindowBlocked);
        return false;
    }
};

// The browse blocks the window it was opened over, shown or not yet shown, and
// never another top-level window of the program.
TEST(QtDialogs, TheOpenFileDialogBlocksOnlyItsOwnWindow)
{
    for (const bool ownerShown : {true, false}) {
        SCOPED_TRACE(ownerShown);
        QWidget other, owner;
        other.show();
        owner.setVisible(ownerShown);
        Blocked otherBlocked, ownerBlocked;
        other.installEventFilter(&otherBlocked);
        owner.installEventFilter(&ownerBlocked);
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        EXPECT_EQ(QtDialogs().openFile(&owner, {}), std::nullopt);
        EXPECT_EQ(ownerBlocked.events, QList<bool>({true, false}));
        EXPECT_EQ(otherBlocked.events, QList<bool>());
    }
}

} // namespace
