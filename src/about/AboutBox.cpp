#include "about/AboutBox.h"

AboutBox::AboutBox(Registry& registry, Launcher& launcher, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), registry_(registry), launcher_(launcher), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
}
