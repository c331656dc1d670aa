#include "about/HelpWindow.h"

#include "about/HelpTopics.h"
#include "gui/ClickLabel.h"
#include "gui/Layout.h"

#include <QGroupBox>
#include <QPlainTextEdit>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Help"));
    layout::fixedBorder(this);
    setFixedSize(layout::px(6765), layout::px(4140));

    Frame1_ = layout::make<QGroupBox>(this, {"Frame1", "Topics", {120, 120, 3015, 615}});
    // The caption sits on the frame's top line, so the labels below it fit inside.
    Frame1_->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));

    static const int lefts[] = {240, 1440, 2160};
    static const int widths[] = {1095, 615, 615};
    QFont linkFont = layout::msSansSerif(8.25);
    linkFont.setUnderline(true);
    for (int i = 0; i < help::topicCount; ++i) {
        lblHelp_[i] = layout::make<ClickLabel>(Frame1_, {QStringLiteral("lblHelp_%1").arg(i),
                                                         help::topicTitle(i),
                                                         {lefts[i], 240, widths[i], 255},
                                                         linkFont,
                                                         kNavy});
        connect(lblHelp_[i], &ClickLabel::clicked, this, [this, i] { lblHelp_Click(i); });
    }

    txtHelp_ = layout::make<QPlainTextEdit>(this, {"txtHelp", {}, {120, 840, 6495, 3135}});
    txtHelp_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtHelp_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtHelp_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab stops every eight average characters, as in a classic text box.
    txtHelp_->setTabStopDistance(8 * txtHelp_->fontMetrics().averageCharWidth());
}

void HelpWindow::lblHelp_Click(int Index)
{
    if (Index < 0 || Index >= help::topicCount)
        return;
    for (ClickLabel* label : lblHelp_)
        layout::setColour(label, kNavy);
    layout::setColour(lblHelp_[Index], kBlue);
    txtHelp_->setPlainText(help::topicText(Index));
}
