#include "about/HelpWindow.h"

#include "about/ClickLabel.h"
#include "about/HelpTopics.h"
#include "platform/Layout.h"

#include <QGroupBox>
#include <QPlainTextEdit>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);

void setColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Help"));
    layout::fixedBorder(this);
    setFixedSize(layout::px(6765), layout::px(4140));

    Frame1_ = new QGroupBox(QStringLiteral("Topics"), this);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    // The caption sits on the frame's top line, so the labels below it fit inside.
    Frame1_->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
    layout::place(Frame1_, 120, 120, 3015, 615);

    static const int lefts[] = {240, 1440, 2160};
    static const int widths[] = {1095, 615, 615};
    QFont linkFont = layout::msSansSerif(8.25);
    linkFont.setUnderline(true);
    for (int i = 0; i < help::topicCount; ++i) {
        auto* label = new ClickLabel(help::topicTitle(i), Frame1_);
        label->setObjectName(QStringLiteral("lblHelp_%1").arg(i));
        label->setFont(linkFont);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setColour(label, kNavy);
        layout::place(label, lefts[i], 240, widths[i], 255);
        connect(label, &ClickLabel::clicked, this, [this, i] { lblHelp_Click(i); });
        lblHelp_[i] = label;
    }

    txtHelp_ = new QPlainTextEdit(this);
    txtHelp_->setObjectName(QStringLiteral("txtHelp"));
    txtHelp_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtHelp_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtHelp_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab stops every eight average characters, as in a classic text box.
    txtHelp_->setTabStopDistance(8 * txtHelp_->fontMetrics().averageCharWidth());
    layout::place(txtHelp_, 120, 840, 6495, 3135);
}

void HelpWindow::lblHelp_Click(int Index)
{
    if (Index < 0 || Index >= help::topicCount)
        return;
    for (ClickLabel* label : lblHelp_)
        setColour(label, kNavy);
    setColour(lblHelp_[Index], kBlue);
    txtHelp_->setPlainText(help::topicText(Index));
}
