#pragma once

#include "platform/Dialogs.h"

// The dialogs as Qt's standard boxes.
class QtDialogs : public Dialogs {
public:
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    void messageBox(QWidget* parent, const QString& text, const QString& title) override;
    std::optional<QString> openFile(QWidget* parent, const OpenFileRequest& request) override;
};
