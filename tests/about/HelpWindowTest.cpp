#include "about/HelpTopics.h"
#include "about/HelpWindow.h"
#include "support/Printers.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);

// A window starts empty with navy labels, whatever an earlier one showed. A left
// click let go over a label shows its topic's text (each line end one line break),
// even over what the user typed, and marks only its own label blue; a right click,
// or a left one let go elsewhere, does nothing.
TEST(HelpWindow, EachTopicShowsItsTextAndMarksItsLabel)
{
    HelpWindow().lblHelp_Click(help::Options);
    HelpWindow w;
    auto* text = w.findChild<QPlainTextEdit*>("txtHelp");
    const auto label = [&](int i) { return w.findChild<QLabel*>(QString("lblHelp_%1").arg(i)); };
    QStringList shown{QString()};
    for (int topic : {-1, 0, 1, 1, 2, 0}) {
        SCOPED_TRACE(topic);
        if (topic >= 0) {
            QTest::keyClicks(text, QStringLiteral("my notes"));
            QTest::mouseClick(label(topic), Qt::LeftButton);
            shown << help::topicText(topic).replace("\r\n", "\n");
            QLabel* other = label((topic + 1) % help::topicCount);
            QTest::mouseClick(other, Qt::RightButton);
            QTest::mousePress(other, Qt::LeftButton, {}, QPoint(5, 5));
            QTest::mouseRelease(other, Qt::LeftButton, {}, QPoint(-5, 5));
        }
        EXPECT_EQ(text->toPlainText(), shown.last());
        for (int i = 0; i < help::topicCount; ++i)
            EXPECT_EQ(label(i)->palette().windowText().color(), i == topic ? kBlue : kNavy) << i;
    }
    shown.removeDuplicates();
    EXPECT_EQ(shown.size(), 4); // nothing, and three topics with three different texts
}

} // namespace
