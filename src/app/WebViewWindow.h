#pragma once

#include <QDialog>

class Dialogs;
class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;
class WebServer;

// File > Web View: turns the web page on and off, chooses its port and who may
// open it, and shows its addresses with a QR code for a phone: one to watch, one
// with the control key (and a way to make a new key).
class WebViewWindow : public QDialog {
    Q_OBJECT
public:
    WebViewWindow(WebServer& web, Dialogs& dialogs, const QString& settingsFile,
                  QWidget* parent = nullptr);

    // The QR code of a text, as a picture with black modules, at least side pixels wide.
    static QImage qrCode(const QString& text, int side);

private:
    void apply();     // serves as the controls say, and keeps the choice
    void newKey();
    void showState(); // the addresses and codes, as the server stands
    bool save();

    WebServer& web_;
    Dialogs& dialogs_;
    QString settingsFile_;
    QCheckBox* chkWebView_;
    QSpinBox* txtWebPort_;
    QRadioButton* optWebWho_[2];
    QLabel* lblWatch_;
    QLabel* lblWatchCode_;
    QLabel* lblControl_;
    QLabel* lblControlCode_;
    QLabel* lblWebError_;
    QWidget* controlPart_;
};
