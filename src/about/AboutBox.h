#pragma once

#include <QDialog>

class Dialogs;
class Launcher;
class QLabel;
class QPushButton;
class Registry;

// The About box, with its System Info button. Modeless and without an owner.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(Registry& registry, Launcher& launcher, Dialogs& dialogs, QWidget* parent = nullptr);

    void cmdOK_Click();
    void cmdSysInfo_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void Form_Load();

    Registry& registry_;
    Launcher& launcher_;
    Dialogs& dialogs_;
    QLabel* lblTitle_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdSysInfo_ = nullptr;
};
