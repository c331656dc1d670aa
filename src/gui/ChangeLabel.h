#pragma once

#include <QLabel>

// A label that tells at once when its text changes. The notification is sent
// inside setText(), before it returns, and only when the text really differs:
// the game clock relies on writing the seconds label to run the countdown.
class ChangeLabel : public QLabel {
    Q_OBJECT
public:
    explicit ChangeLabel(const QString& text = {}, QWidget* parent = nullptr);

    // Hides QLabel::setText on purpose: every write in this program goes through here.
    void setText(const QString& text);

signals:
    void changed();
};
