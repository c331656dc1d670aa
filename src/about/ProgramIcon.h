#pragma once

#include <QIcon>
#include <QPixmap>

namespace program {

// The program's icon in all its sizes, for every window and the desktop.
QIcon icon();

// The 32 x 32, 16-colour image the About box shows.
QPixmap iconImage();

} // namespace program
