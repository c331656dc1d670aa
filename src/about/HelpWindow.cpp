#include "about/HelpWindow.h"

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Help"));
}
