#pragma once

#include <QString>
#include <optional>

class QWidget;

struct OpenFileRequest {
    QString title;
    QString filter;        // e.g. "Wav Files (*.wav)"
    QString defaultSuffix; // without the dot, e.g. "wav"
    QString startFolder;
    QString fileName;      // the name the dialog starts with (its last confirmed choice)
};

// The modal boxes the windows ask the user with.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal input box; returns the entered text, or the empty text on Cancel.
    virtual QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;

    // A message box with an OK button only.
    virtual void messageBox(QWidget* parent, const QString& text, const QString& title) = 0;

    // A modal open-file dialog; the chosen file's full path, or nothing on cancel.
    virtual std::optional<QString> openFile(QWidget* parent, const OpenFileRequest& request) = 0;
};
