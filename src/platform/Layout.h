#pragma once

#include <QFont>
#include <QRect>
#include <QStringList>

class QWidget;

// The windows are laid out in twips; 15 twips make one pixel at 96 dpi.
namespace layout {

constexpr int px(int twips) { return (twips * 2 + 15) / 30; } // rounded to the nearest pixel

inline QRect rect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// A top-level window (or dialog) with a fixed border and a close box only, and
// the classic dialog font for its controls.
void fixedBorder(QWidget* window, Qt::WindowType type = Qt::Window);

// Places a child widget at a twips rectangle.
void place(QWidget* widget, int left, int top, int width, int height);

// Tahoma where it is installed, else Liberation Sans, else DejaVu Sans.
// Sizes are given in points and set in pixels at 96 dpi, as the layout is.
QFont tahoma(qreal pointSize);
// MS Sans Serif, else Liberation Sans a little smaller, so captions fit as laid out.
QFont msSansSerif(qreal pointSize);

} // namespace layout
