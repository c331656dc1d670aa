#include "gui/ChangeLabel.h"

#include <QStringList>
#include <gtest/gtest.h>

// The game clock relies on the notification coming inside setText, once per real change.
TEST(ChangeLabel, NotifiesInsideTheSetterOnlyWhenTheTextChanges)
{
    ChangeLabel label(QStringLiteral("00"));
    QStringList seen;
    QObject::connect(&label, &ChangeLabel::changed, [&] { seen << label.text(); });

    label.setText(QStringLiteral("00"));
    EXPECT_TRUE(seen.isEmpty());
    label.setText(QStringLiteral("01"));
    EXPECT_EQ(seen, QStringList{QStringLiteral("01")});
    label.setText(QString());
    label.setText(QString());
    EXPECT_EQ(seen, (QStringList{QStringLiteral("01"), QString()}));
}

TEST(ChangeLabel, AWriteFromTheNotificationNestsOnce)
{
    ChangeLabel label;
    int depth = 0, calls = 0, deepest = 0;
    QObject::connect(&label, &ChangeLabel::changed, [&] {
        ++calls;
        ++depth;
        deepest = std::max(deepest, depth);
        label.setText(QStringLiteral("00")); // changes the text once, then no more
        --depth;
    });
    label.setText(QStringLiteral("x"));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(deepest, 2);
    EXPECT_EQ(label.text(), QStringLiteral("00"));
}
