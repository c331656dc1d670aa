#include "about/ProgramIcon.h"

namespace program {

QIcon icon()
{
    QIcon icon;
    for (const int size : {32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/zorvu-timer-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap iconImage()
{
    return QPixmap(QStringLiteral(":/icons/zorvu-timer-32.png"));
}

} // namespace program
