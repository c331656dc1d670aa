#pragma once

#include <QRadioButton>

// An option button that answers a click anywhere in its box. Tab enters its
// group at the selected button.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(const QString& text, QWidget* parent = nullptr);

protected:
    bool hitButton(const QPoint& pos) const override;
};
