#pragma once

#include <QProxyStyle>

// The application's style, with the menu bar's overflow arrow read from the
// style's images only when it is first drawn. Every menu bar asks for that
// arrow as it is made, and reading an image from a file asks every image
// plugin installed whether it is theirs: loading them all costs a millisecond
// or more before the main window can be shown, for an arrow that our fixed-size
// window never shows.
class DeferredIconStyle : public QProxyStyle
{
public:
    // Takes over `base`, which may be the application's present style.
    explicit DeferredIconStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
