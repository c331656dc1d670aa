#include "platform/Layout.h"

#include <QFontInfo>
#include <QWidget>

namespace layout {

void fixedBorder(QWidget* window, Qt::WindowType type)
{
    window->setWindowFlags(type | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setFont(msSansSerif(8.25));
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(rect(left, top, width, height));
}

// Sizes in pixels at 96 dpi, like the twips: a point size would grow with the
// screen's dpi while the controls laid out in twips do not.
static int pixels(qreal pointSize)
{
    return qRound(pointSize * 96.0 / 72.0);
}

static QFont font(const QStringList& families, qreal pointSize)
{
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(pixels(pointSize));
    return f;
}

// The fallbacks are wider than the fonts the captions were laid out for; scaled
// down a little they take about the same width and are not cut off.
static QFont fitted(QFont f, const QString& wanted, qreal scale)
{
    if (QFontInfo(f).family() != wanted)
        f.setPixelSize(qRound(f.pixelSize() * scale));
    return f;
}

QFont tahoma(qreal pointSize)
{
    return fitted(font({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                        QStringLiteral("DejaVu Sans")},
                       pointSize),
                  QStringLiteral("Tahoma"), 0.95);
}

QFont msSansSerif(qreal pointSize)
{
    return fitted(font({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                        QStringLiteral("DejaVu Sans")},
                       pointSize),
                  QStringLiteral("MS Sans Serif"), 10.0 / 11.0);
}

} // namespace layout
