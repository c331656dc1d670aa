#include "about/HelpTopics.h"
#include "about/HelpWindow.h"
#include "gui/ClickLabel.h"
#include "support/Printers.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);

QLabel* label(HelpWindow& w, int i) { return w.findChild<QLabel*>(QStringLiteral("lblHelp_%1").arg(i)); }
QPlainTextEdit* text(HelpWindow& w) { return w.findChild<QPlainTextEdit*>("txtHelp"); }

// A window starts empty with navy labels, whatever an earlier one showed. A click
// shows its topic's text (each line end one line break), even over what the user
// typed, and marks only its own label blue.
TEST(HelpWindow, EachTopicShowsItsTextAndMarksItsLabel)
{
    std::make_unique<HelpWindow>()->lblHelp_Click(help::Options);
    HelpWindow window;
    QStringList shown;
    for (int topic : {-1, 0, 1, 1, 2, 2, 0}) {
        SCOPED_TRACE(topic);
        if (topic >= 0) {
            QTest::keyClicks(text(window), QStringLiteral("my notes"));
            QTest::mouseClick(label(window, topic), Qt::LeftButton);
            shown << text(window)->toPlainText();
            EXPECT_EQ(shown.last(), help::topicText(topic).replace("\r\n", "\n"));
        } else {
            EXPECT_EQ(text(window)->toPlainText(), QString());
        }
        for (int i = 0; i < help::topicCount; ++i)
            EXPECT_EQ(label(window, i)->palette().color(QPalette::WindowText),
                      i == topic ? kBlue : kNavy)
                << i;
    }
    shown.removeDuplicates();
    EXPECT_EQ(shown.size(), 3); // three topics, three different texts
}

// A label clicks when the left button is let go over it, as a link does.
TEST(ClickLabel, ClicksOnReleaseOverTheLabel)
{
    ClickLabel label(QStringLiteral("Options"));
    label.resize(40, 17);
    QSignalSpy clicked(&label, &ClickLabel::clicked);
    QTest::mouseClick(&label, Qt::LeftButton);
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(100, 5)); // let go elsewhere
    QTest::mouseClick(&label, Qt::RightButton);
    EXPECT_EQ(clicked.count(), 1);
}

} // namespace
