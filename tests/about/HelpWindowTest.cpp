#include "gui/ClickLabel.h"
#include "about/HelpTopics.h"
#include "about/HelpWindow.h"
#include "support/Printers.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);

QLabel* label(HelpWindow& w, int i)
{
    return w.findChild<QLabel*>(QStringLiteral("lblHelp_%1").arg(i));
}
QPlainTextEdit* text(HelpWindow& w)
{
    return w.findChild<QPlainTextEdit*>(QStringLiteral("txtHelp"));
}
QColor colour(HelpWindow& w, int i) { return label(w, i)->palette().color(QPalette::WindowText); }
void click(HelpWindow& w, int i) { QTest::mouseClick(label(w, i), Qt::LeftButton); }

// The text box keeps lines, not line-end characters: it shows a topic's
// carriage return and line feed as one line break.
QString shown(int topic)
{
    return help::topicText(topic).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Each window starts empty with navy labels, whatever an earlier one showed.
TEST(HelpWindow, OpensEmptyWithNavyLabelsAtAFixedSize)
{
    auto used = std::make_unique<HelpWindow>();
    click(*used, help::Options);
    used.reset();
    HelpWindow window;
    EXPECT_EQ(window.minimumSize(), QSize(451, 276));
    EXPECT_EQ(window.maximumSize(), QSize(451, 276));
    EXPECT_EQ(text(window)->toPlainText(), QString());
    const QString captions[] = {"General Usage", "Options", "Hotkeys"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(label(window, i)->text(), captions[i]);
        EXPECT_EQ(colour(window, i), kNavy) << i;
    }
}

// A click replaces the text, and only the chosen label is blue. The same topic
// twice gives its text once.
TEST(HelpWindow, EachTopicShowsItsTextAndMarksItsLabel)
{
    HelpWindow window;
    for (int topic : {0, 1, 1, 2, 0, 2, 2}) {
        SCOPED_TRACE(topic);
        click(window, topic);
        EXPECT_EQ(text(window)->toPlainText(), shown(topic));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(colour(window, i), i == topic ? kBlue : kNavy) << "label " << i;
    }
}

TEST(HelpWindow, TypedTextIsLostOnATopicClick)
{
    HelpWindow window;
    click(window, help::GeneralUsage);
    text(window)->setFocus();
    QTest::keyClicks(text(window), QStringLiteral("my notes"));
    EXPECT_TRUE(text(window)->toPlainText().contains(QStringLiteral("my notes")));
    click(window, help::GeneralUsage);
    EXPECT_EQ(text(window)->toPlainText(), shown(help::GeneralUsage));
}

// A label clicks when the left button is let go over it, as a link does.
TEST(ClickLabel, ClicksOnReleaseOverTheLabel)
{
    ClickLabel label(QStringLiteral("Options"));
    label.resize(40, 17);
    QSignalSpy clicked(&label, &ClickLabel::clicked);
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(100, 5)); // let go elsewhere
    QTest::mouseClick(&label, Qt::RightButton);
    EXPECT_EQ(clicked.count(), 1);
}

} // namespace
