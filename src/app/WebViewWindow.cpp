#include "app/WebViewWindow.h"

#include "app/SaveSettings.h"
#include "app/WebServer.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <qrencode.h>

#include <memory>

namespace {

constexpr int kCodeSide = 180;

QLabel* linkLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label->setOpenExternalLinks(true);
    label->setWordWrap(true);
    return label;
}

QString links(const QStringList& urls)
{
    QStringList html;
    for (const QString& url : urls)
        html << QStringLiteral("<a href=\"%1\">%1</a>").arg(url.toHtmlEscaped());
    return html.join(QStringLiteral("<br>"));
}

} // namespace

WebViewWindow::WebViewWindow(WebServer& web, Dialogs& dialogs, const QString& settingsFile,
                             QWidget* parent)
    : QDialog(parent), web_(web), dialogs_(dialogs), settingsFile_(settingsFile)
{
    setObjectName(QStringLiteral("frmWebView"));
    setWindowTitle(tr("Web View"));

    chkWebView_ = new QCheckBox(tr("&Show the match as a web page"), this);
    chkWebView_->setObjectName(QStringLiteral("chkWebView"));
    txtWebPort_ = new QSpinBox(this);
    txtWebPort_->setObjectName(QStringLiteral("txtWebPort"));
    txtWebPort_->setRange(1024, 32767);
    txtWebPort_->setValue(web_.chosenPort());
    const char* who[] = {QT_TR_NOOP("&This PC only (a stream overlay in OBS)"),
                         QT_TR_NOOP("&Local network (phones and tablets)")};
    auto* whoBox = new QVBoxLayout;
    for (int i = 0; i < 2; ++i) {
        optWebWho_[i] = new QRadioButton(tr(who[i]), this);
        optWebWho_[i]->setObjectName(QStringLiteral("optWebWho_%1").arg(i));
        whoBox->addWidget(optWebWho_[i]);
    }
    optWebWho_[web_.lan() ? 1 : 0]->setChecked(true);
    auto* form = new QFormLayout;
    form->addRow(tr("&Port:"), txtWebPort_);
    form->addRow(tr("Who may open it:"), whoBox);

    lblWebError_ = new QLabel(this);
    lblWebError_->setObjectName(QStringLiteral("lblWebError"));
    lblWebError_->setStyleSheet(QStringLiteral("color: #c00000"));
    lblWebError_->setWordWrap(true);

    lblWatch_ = linkLabel(this, "lblWatch");
    lblWatchCode_ = new QLabel(this);
    lblControl_ = linkLabel(this, "lblControl");
    lblControlCode_ = new QLabel(this);
    auto* cmdNewKey = new QPushButton(tr("&New Key"), this);
    cmdNewKey->setObjectName(QStringLiteral("cmdNewKey"));
    cmdNewKey->setToolTip(tr("Makes a new control link; pages opened with the old one "
                             "can no longer drive the clock."));
    auto* watch = new QVBoxLayout;
    watch->addWidget(new QLabel(tr("<b>Watch</b> (also for a stream: add ?overlay=1)"), this));
    watch->addWidget(lblWatch_);
    watch->addWidget(lblWatchCode_, 0, Qt::AlignHCenter);
    watch->addStretch();
    controlPart_ = new QWidget(this);
    auto* control = new QVBoxLayout(controlPart_);
    control->setContentsMargins({});
    control->addWidget(new QLabel(tr("<b>Watch and drive the clock</b> (keep it to your team)"),
                                  controlPart_));
    control->addWidget(lblControl_);
    control->addWidget(lblControlCode_, 0, Qt::AlignHCenter);
    control->addWidget(cmdNewKey, 0, Qt::AlignHCenter);
    auto* codes = new QHBoxLayout;
    codes->addLayout(watch, 1);
    codes->addWidget(controlPart_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chkWebView_);
    layout->addLayout(form);
    layout->addWidget(lblWebError_);
    layout->addLayout(codes);
    layout->addWidget(buttons);

    chkWebView_->setChecked(web_.isOn());
    connect(chkWebView_, &QCheckBox::toggled, this, &WebViewWindow::apply);
    connect(txtWebPort_, &QSpinBox::editingFinished, this, [this] {
        if (web_.isOn() && txtWebPort_->value() != web_.port())
            apply();
    });
    connect(optWebWho_[1], &QRadioButton::toggled, this, &WebViewWindow::apply);
    connect(cmdNewKey, &QPushButton::clicked, this, &WebViewWindow::newKey);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&web_, &WebServer::changed, this, &WebViewWindow::showState);
    showState();
}

QImage WebViewWindow::qrCode(const QString& text, int side)
{
    const std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeString(text.toUtf8().constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1),
        QRcode_free);
    if (!code)
        return {};
    // A quiet zone of four modules on each side, as readers expect.
    const int modules = code->width + 8;
    const int scale = std::max(1, (side + modules - 1) / modules);
    QImage image(modules * scale, modules * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                painter.fillRect((x + 4) * scale, (y + 4) * scale, scale, scale, Qt::black);
    return image;
}

void WebViewWindow::apply()
{
    lblWebError_->clear();
    const bool lan = optWebWho_[1]->isChecked();
    if (!chkWebView_->isChecked()) {
        web_.stop();
    } else if (const auto why = web_.start(quint16(txtWebPort_->value()), lan)) {
        lblWebError_->setText(*why);
        const QSignalBlocker quiet(chkWebView_);
        chkWebView_->setChecked(false);
        return;
    }
    save();
}

void WebViewWindow::newKey()
{
    web_.setControlKey(WebServer::makeKey());
    save();
    showState();
}

bool WebViewWindow::save()
{
    return saveSettings(settingsFile_,
                        {{&Settings::iWebPort, QString::number(txtWebPort_->value())},
                         {&Settings::bWebLan, QString::number(int(optWebWho_[1]->isChecked()))},
                         {&Settings::sWebKey, web_.controlKey()}},
                        dialogs_, this, tr("web view's settings"));
}

void WebViewWindow::showState()
{
    const bool on = web_.isOn();
    QStringList watch = on ? web_.addresses() : QStringList();
    lblWatch_->setText(on ? links(watch) : tr("Off."));
    lblWatchCode_->setPixmap(on ? QPixmap::fromImage(qrCode(watch.first(), kCodeSide)) : QPixmap());
    controlPart_->setVisible(on);
    if (!on)
        return;
    const QString control = watch.first() + QStringLiteral("?key=") + web_.controlKey();
    lblControl_->setText(links({control}));
    lblControlCode_->setPixmap(QPixmap::fromImage(qrCode(control, kCodeSide)));
}
