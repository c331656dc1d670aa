#include "gui/SettingCheckBox.h"

SettingCheckBox::SettingCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
{
    setTristate(true);
}

int SettingCheckBox::value() const
{
    // Qt numbers its states clear, greyed, checked; the file numbers them clear,
    // checked, greyed.
    switch (checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

bool SettingCheckBox::setValue(int state)
{
    static constexpr Qt::CheckState states[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
    if (state < 0 || state > 2)
        return false;
    setCheckState(states[state]);
    return true;
}

void SettingCheckBox::nextCheckState()
{
    // Greyed counts as "on" (an item stored as 2 is announced), so a click turns
    // it off, as it does a checked box.
    setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
}

bool SettingCheckBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}
