#pragma once

#include <QCheckBox>

// A check box with the three states of the settings file: clear 0, checked 1,
// greyed 2. Greyed is shown only when the file says so; a click moves the box
// between clear and checked, and from greyed to clear.
class SettingCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit SettingCheckBox(const QString& text, QWidget* parent = nullptr);

    // The state as the settings file stores it.
    int value() const;
    // Takes a stored state; anything but 0, 1 or 2 is refused and the box stays
    // as it was. Returns whether the state was taken.
    bool setValue(int state);

protected:
    void nextCheckState() override;
    // The whole box answers a click, not only its square and caption.
    bool hitButton(const QPoint& pos) const override;
};
