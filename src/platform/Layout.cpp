#include "platform/Layout.h"

#include <QWidget>

namespace layout {

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(rect(left, top, width, height));
}

static QFont font(const QStringList& families, qreal pointSize)
{
    QFont f;
    f.setFamilies(families);
    f.setPointSizeF(pointSize);
    return f;
}

QFont tahoma(qreal pointSize)
{
    // DejaVu Sans is much wider than Tahoma and clips the fixed-size labels;
    // Liberation Sans is close to it.
    return font({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                 QStringLiteral("DejaVu Sans")},
                pointSize);
}

QFont msSansSerif(qreal pointSize)
{
    return font({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                 QStringLiteral("DejaVu Sans")},
                pointSize);
}

} // namespace layout
