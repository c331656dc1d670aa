#include "about/AboutBox.h"

#include "about/ProgramIcon.h"
#include "about/SysInfo.h"
#include "gui/Layout.h"
#include "platform/ProgramInfo.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

const QString kDescription = QStringLiteral(
    "Written by the Zorvu Timer developers. To report a bug or ask for a feature, "
    "please open an issue on the project's issue tracker.");

// A line control: one pixel thick, from (x1, y) to (x2, y) in twips.
QWidget* line(const char* name, int x1, int x2, int y, const QColor& colour, QWidget* parent)
{
    auto* l = new QWidget(parent);
    l->setObjectName(QString::fromLatin1(name));
    layout::setColour(l, colour, QPalette::Window);
    l->setAutoFillBackground(true);
    l->setGeometry(layout::px(x1), layout::px(y), layout::px(x2) - layout::px(x1) + 1, 1);
    return l;
}

} // namespace

AboutBox::AboutBox(Registry& registry, Launcher& launcher, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), registry_(registry), launcher_(launcher), dialogs_(dialogs)
{
    buildWindow();
    Form_Load();
}

void AboutBox::buildWindow()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    // A fixed dialog border with a close box only; a dialog stays out of the task bar.
    layout::fixedBorder(this, Qt::Dialog);
    setModal(false);
    setFixedSize(layout::px(5730), layout::px(3555));

    const layout::Row labels[] = {
        {"picIcon", {}, {240, 240, 540, 540}},
        {"lblTitle", "Zorvu Weapon/Powerup Respawn Timer", {1050, 240, 3885, 480}},
        {"lblVersion", "Version .01 Alpha", {1050, 780, 3885, 225}},
        {"lblDescription", kDescription, {1050, 1125, 3885, 1170}},
        {"lblDisclaimer", {}, {255, 2625, 3870, 825}},
    };
    for (const layout::Row& row : labels)
        layout::make<QLabel>(this, row)->setWordWrap(true);
    lblTitle_ = findChild<QLabel*>(QStringLiteral("lblTitle"));
    auto* picIcon = findChild<QLabel*>(QStringLiteral("picIcon"));
    picIcon->setPixmap(program::iconImage());
    picIcon->setAlignment(Qt::AlignCenter);

    // Grey above white: one etched rule between the text and the disclaimer.
    line("Line1_0", 105, 5654, 2460, Qt::white, this);
    line("Line1_1", 90, 5654, 2445, QColor(128, 128, 128), this);

    cmdOK_ = layout::make<QPushButton>(this, {"cmdOK", "OK", {4245, 2625, 1260, 345}});
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &AboutBox::cmdOK_Click);
    cmdSysInfo_ =
        layout::make<QPushButton>(this, {"cmdSysInfo", "&System Info...", {4260, 3075, 1245, 345}});
    connect(cmdSysInfo_, &QPushButton::clicked, this, &AboutBox::cmdSysInfo_Click);

    setTabOrder(cmdOK_, cmdSysInfo_);
    cmdOK_->setFocus();
}

void AboutBox::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + program::title);
    lblTitle_->setText(program::title);
}

void AboutBox::cmdOK_Click()
{
    close();
}

void AboutBox::cmdSysInfo_Click()
{
    sysinfo::StartSysInfo(registry_, launcher_, dialogs_, this);
}

void AboutBox::keyPressEvent(QKeyEvent* event)
{
    // Esc presses OK, the cancel button, like Enter presses it as the default one.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
