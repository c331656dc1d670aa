#pragma once

#include <QWidget>

class Dialogs;

// The Options window: shows the settings of times.ini, writes them back on OK.
class OptionsDialog : public QWidget {
    Q_OBJECT
public:
    explicit OptionsDialog(Dialogs& dialogs, QWidget* parent = nullptr);

signals:
    // OK wrote every setting: the main window applies them.
    void saved();

private:
    Dialogs& dialogs_;
};
