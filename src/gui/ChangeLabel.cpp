#include "gui/ChangeLabel.h"

ChangeLabel::ChangeLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void ChangeLabel::setText(const QString& text)
{
    if (text == QLabel::text())
        return;
    QLabel::setText(text);
    emit changed();
}
