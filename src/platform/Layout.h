#pragma once

// Moved to gui/. Kept for the two windows not yet built from layout tables.
#include "gui/Layout.h"

namespace layout {

inline void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(rect({left, top, width, height}));
}

} // namespace layout
