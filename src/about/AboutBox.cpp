#include "about/AboutBox.h"

#include "about/ProgramIcon.h"
#include "about/SysInfo.h"
#include "platform/Layout.h"
#include "platform/ProgramInfo.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

const QString kDescription = QStringLiteral(
    "Written by the Zorvu Timer developers. To report a bug or ask for a feature, "
    "please open an issue on the project's issue tracker.");

QLabel* label(const char* name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(true);
    return l;
}

// A line control: one pixel thick, from (x1, y) to (x2, y) in twips.
QWidget* line(const char* name, int x1, int x2, int y, const QColor& colour, QWidget* parent)
{
    auto* l = new QWidget(parent);
    l->setObjectName(QString::fromLatin1(name));
    QPalette palette = l->palette();
    palette.setColor(QPalette::Window, colour);
    l->setPalette(palette);
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

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(program::iconImage());
    picIcon->setAlignment(Qt::AlignCenter);
    layout::place(picIcon, 240, 240, 540, 540);

    lblTitle_ = label("lblTitle", QStringLiteral("Zorvu Weapon/Powerup Respawn Timer"), this);
    layout::place(lblTitle_, 1050, 240, 3885, 480);
    layout::place(label("lblVersion", QStringLiteral("Version .01 Alpha"), this), 1050, 780, 3885,
                  225);
    layout::place(label("lblDescription", kDescription, this), 1050, 1125, 3885, 1170);

    // Grey above white: one etched rule between the text and the disclaimer.
    line("Line1_0", 105, 5654, 2460, Qt::white, this);
    line("Line1_1", 90, 5654, 2445, QColor(128, 128, 128), this);

    layout::place(label("lblDisclaimer", QString(), this), 255, 2625, 3870, 825);

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    layout::place(cmdOK_, 4245, 2625, 1260, 345);
    connect(cmdOK_, &QPushButton::clicked, this, &AboutBox::cmdOK_Click);

    cmdSysInfo_ = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
    layout::place(cmdSysInfo_, 4260, 3075, 1245, 345);
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
