#include "gui/OptionButton.h"

OptionButton::OptionButton(const QString& text, QWidget* parent) : QRadioButton(text, parent)
{
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        if (!on || !parentWidget())
            return;
        // Only the selected button of the group is a Tab stop.
        for (auto* other : parentWidget()->findChildren<OptionButton*>(Qt::FindDirectChildrenOnly))
            other->setFocusPolicy(Qt::FocusPolicy(other == this
                                                      ? other->focusPolicy() | Qt::TabFocus
                                                      : other->focusPolicy() & ~Qt::TabFocus));
    });
}

bool OptionButton::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}
