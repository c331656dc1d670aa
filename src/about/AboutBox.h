#pragma once

#include <QDialog>

class Dialogs;
class Launcher;
class Registry;

// The About box, with its System Info button.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(Registry& registry, Launcher& launcher, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    Registry& registry_;
    Launcher& launcher_;
    Dialogs& dialogs_;
};
