#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>
#include <type_traits>

// The windows are laid out in twips; 15 twips make one pixel at 96 dpi.
namespace layout {

constexpr int px(int twips) { return (twips * 2 + 15) / 30; } // rounded to the nearest pixel

struct Twips {
    int left, top, width, height;
};

inline QRect rect(const Twips& r)
{
    return QRect(px(r.left), px(r.top), px(r.width), px(r.height));
}

// One control of a window's layout table. The font and the colour of its text
// are the window's unless given.
struct Row {
    QString name;
    QString caption;
    Twips rect;
    std::optional<QFont> font = {};
    QColor colour = {};
};

// Gives an existing control its row: objectName, caption, place, font, colour.
// Labels keep their text at the top left, as in the layout they come from.
void apply(QWidget* control, const Row& row);

// Makes the control of a row, a child of parent.
template <class Control> Control* make(QWidget* parent, const Row& row)
{
    Control* control = nullptr;
    if constexpr (std::is_constructible_v<Control, QString, QWidget*>)
        control = new Control(row.caption, parent);
    else
        control = new Control(parent);
    apply(control, row);
    return control;
}

// A top-level window (or dialog) with a fixed border and a close box only, and
// the classic dialog font for its controls.
void fixedBorder(QWidget* window, Qt::WindowType type = Qt::Window);

void setColour(QWidget* widget, const QColor& colour, QPalette::ColorRole role = QPalette::WindowText);

// Tahoma where it is installed, else Liberation Sans, else DejaVu Sans.
// Sizes are given in points and set in pixels at 96 dpi, as the layout is.
QFont tahoma(qreal pointSize);
// MS Sans Serif, else Liberation Sans a little smaller, so captions fit as laid out.
QFont msSansSerif(qreal pointSize);

} // namespace layout
