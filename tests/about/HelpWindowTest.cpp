#include "about/ClickLabel.h"
#include "about/HelpTopics.h"
#include "about/HelpWindow.h"
#include "platform/Layout.h"
#include "support/Printers.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);

class HelpWindowTest : public ::testing::Test {
protected:
    HelpWindow window;

    QLabel* label(int i) { return window.findChild<QLabel*>(QStringLiteral("lblHelp_%1").arg(i)); }
    QPlainTextEdit* text() { return window.findChild<QPlainTextEdit*>(QStringLiteral("txtHelp")); }
    QColor colour(int i) { return label(i)->palette().color(QPalette::WindowText); }

    void click(int i) { QTest::mouseClick(label(i), Qt::LeftButton); }

    // The text box keeps lines, not line-end characters: it shows a topic's
    // carriage return and line feed as one line break.
    static QString shown(int topic)
    {
        return help::topicText(topic).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
};

TEST_F(HelpWindowTest, Layout)
{
    EXPECT_EQ(window.objectName(), QStringLiteral("frmHelp"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Help"));
    EXPECT_EQ(window.size(), QSize(451, 276));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

    auto* frame = window.findChild<QGroupBox*>(QStringLiteral("Frame1"));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), QStringLiteral("Topics"));
    EXPECT_EQ(frame->geometry(), QRect(8, 8, 201, 41));

    const struct {
        QString caption;
        QRect geometry; // within the frame
    } labels[] = {
        {QStringLiteral("General Usage"), QRect(16, 16, 73, 17)},
        {QStringLiteral("Options"), QRect(96, 16, 41, 17)},
        {QStringLiteral("Hotkeys"), QRect(144, 16, 41, 17)},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(label(i), nullptr);
        EXPECT_EQ(label(i)->parentWidget(), frame);
        EXPECT_EQ(label(i)->text(), labels[i].caption);
        EXPECT_EQ(label(i)->geometry(), labels[i].geometry);
        EXPECT_TRUE(label(i)->font().underline());
        EXPECT_EQ(label(i)->font().pixelSize(), layout::msSansSerif(8.25).pixelSize());
        EXPECT_EQ(label(i)->font().families(), layout::msSansSerif(8.25).families());
        EXPECT_EQ(label(i)->font().families().value(0), QStringLiteral("MS Sans Serif"));
        EXPECT_EQ(colour(i), kNavy);
    }

    ASSERT_NE(text(), nullptr);
    EXPECT_EQ(text()->geometry(), QRect(8, 56, 433, 209));
    EXPECT_EQ(text()->toPlainText(), QString());
    EXPECT_FALSE(text()->isReadOnly());
    EXPECT_EQ(text()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(text()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(HelpWindowTest, EachTopicShowsItsTextAndMarksItsLabel)
{
    for (int topic : {0, 1, 2, 1, 0, 2}) {
        SCOPED_TRACE(topic);
        click(topic);
        EXPECT_EQ(text()->toPlainText(), shown(topic));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(colour(i), i == topic ? kBlue : kNavy) << "label " << i;
    }
}

TEST_F(HelpWindowTest, SameTopicTwiceShowsItsTextOnce)
{
    click(help::Hotkeys);
    click(help::Hotkeys);
    EXPECT_EQ(text()->toPlainText(), shown(help::Hotkeys));
    EXPECT_EQ(text()->document()->blockCount(), 5);
}

TEST_F(HelpWindowTest, LinesAndTabsOfTheOptionsTopic)
{
    click(help::Options);
    const QTextDocument* doc = text()->document();
    ASSERT_EQ(doc->blockCount(), 19);
    EXPECT_EQ(doc->findBlockByNumber(0).text(),
              QStringLiteral("Notify me [  ] seconds before a pwoerup/weapon respawns:"));
    EXPECT_TRUE(doc->findBlockByNumber(1).text().startsWith(QStringLiteral("\tFill in")));
    EXPECT_EQ(doc->findBlockByNumber(2).text(), QString());
    EXPECT_EQ(doc->findBlockByNumber(18).text(),
              QStringLiteral("\tDisable program hotkeys: disables hotkeys (I'm sure you couldn't "
                             "have guessed that ;-) )"));
}

TEST_F(HelpWindowTest, TypedTextIsLostOnATopicClick)
{
    click(help::GeneralUsage);
    text()->setFocus();
    QTest::keyClicks(text(), QStringLiteral("my notes"));
    EXPECT_TRUE(text()->toPlainText().contains(QStringLiteral("my notes")));
    click(help::GeneralUsage);
    EXPECT_EQ(text()->toPlainText(), shown(help::GeneralUsage));

    text()->setPlainText(QStringLiteral("scribbled over"));
    click(help::Options);
    EXPECT_EQ(text()->toPlainText(), shown(help::Options));
}

TEST_F(HelpWindowTest, ANewWindowStartsEmptyAndNavy)
{
    click(help::Options);
    HelpWindow fresh;
    EXPECT_EQ(fresh.findChild<QPlainTextEdit*>(QStringLiteral("txtHelp"))->toPlainText(),
              QString());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(fresh.findChild<QLabel*>(QStringLiteral("lblHelp_%1").arg(i))
                      ->palette()
                      .color(QPalette::WindowText),
                  kNavy);
}

TEST(ClickLabel, ClicksOnReleaseOverTheLabel)
{
    ClickLabel label(QStringLiteral("Options"));
    label.resize(40, 17);
    QSignalSpy clicked(&label, &ClickLabel::clicked);

    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 0);
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(clicked.count(), 1);

    // Let go elsewhere: no click.
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(100, 5));
    EXPECT_EQ(clicked.count(), 1);

    // The right button does not click.
    QTest::mouseClick(&label, Qt::RightButton);
    EXPECT_EQ(clicked.count(), 1);

    // A release without a press on the label does not click.
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 1);
}

} // namespace
