#include "gui/Layout.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace layout {

void apply(QWidget* control, const Row& row)
{
    control->setObjectName(row.name);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(row.caption);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(row.caption);
    } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
        frame->setTitle(row.caption);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(row.caption);
    }
    if (row.font)
        control->setFont(*row.font);
    if (row.colour.isValid())
        setColour(control, row.colour);
    control->setGeometry(rect(row.rect));
}

void fixedBorder(QWidget* window, Qt::WindowType type)
{
    window->setWindowFlags(type | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setFont(msSansSerif(8.25));
}

void setColour(QWidget* widget, const QColor& colour, QPalette::ColorRole role)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// Sizes in pixels at 96 dpi, like the twips: a point size would grow with the
// screen's dpi while the controls laid out in twips do not.
static int pixels(qreal pointSize)
{
    return qRound(pointSize * 96.0 / 72.0);
}

// The fallbacks are wider than the fonts the captions were laid out for; scaled
// down a little they take about the same width and are not cut off. Whether the
// named family is there is asked once, of the font list: matching each font
// would load a font engine for every size at start-up, and one that is never
// used when the fallback is scaled. A family that is not there is left out of
// the font: Qt would look for its substitutes at every size, only to take the
// fallback next in the list. The list is searched by hand, as
// QFontDatabase::hasFamily() first runs the name through fontconfig's rules,
// which takes longer than the search, and a name that the rules change into
// another family is not one the captions were laid out for.
static bool installed(const QString& family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

static QFont font(const QString& named, bool there, qreal pointSize, qreal scale)
{
    static const QStringList fallbacks{QStringLiteral("Liberation Sans"),
                                       QStringLiteral("DejaVu Sans")};
    QFont f;
    if (there) {
        f.setFamilies(QStringList{named} + fallbacks);
        f.setPixelSize(pixels(pointSize));
    } else {
        f.setFamilies(fallbacks);
        f.setPixelSize(qRound(pixels(pointSize) * scale));
    }
    return f;
}

QFont tahoma(qreal pointSize)
{
    static const bool named = installed(QStringLiteral("Tahoma"));
    return font(QStringLiteral("Tahoma"), named, pointSize, 0.95);
}

QFont msSansSerif(qreal pointSize)
{
    static const bool named = installed(QStringLiteral("MS Sans Serif"));
    return font(QStringLiteral("MS Sans Serif"), named, pointSize, 10.0 / 11.0);
}

} // namespace layout
