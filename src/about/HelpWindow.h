#pragma once

#include <QWidget>

// The Help window with its three topics.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
};
