#pragma once

#include <QWidget>
#include <array>

class ClickLabel;
class QGroupBox;
class QPlainTextEdit;

// The Help window: three topic labels and the text of the topic last chosen.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows topic Index (0 General Usage, 1 Options, 2 Hotkeys) and marks its label.
    void lblHelp_Click(int Index);

private:
    QGroupBox* Frame1_ = nullptr;
    std::array<ClickLabel*, 3> lblHelp_{};
    QPlainTextEdit* txtHelp_ = nullptr;
};
