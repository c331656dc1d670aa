#include "platform/QtSoundPlayer.h"

#include <QFileInfo>
#include <QSoundEffect>

// The alert lives in a resource of this static library; registering it by hand
// makes sure it is there however the library is linked.
static void initSoundResources()
{
    Q_INIT_RESOURCE(platform_sounds);
}

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent)
{
    initSoundResources();
    alertKeeper_ = new QSoundEffect(this);
    alertKeeper_->setSource(alertSource());
}

QtSoundPlayer::~QtSoundPlayer() = default;

QUrl QtSoundPlayer::alertSource()
{
    return QUrl(QStringLiteral("qrc:/sounds/alert.wav"));
}

QUrl QtSoundPlayer::currentSource() const
{
    return current_ ? current_->source() : QUrl();
}

void QtSoundPlayer::play(const QString& file)
{
    const QFileInfo info(file);
    // A missing file needs no decoder to tell it cannot be played.
    if (file.isEmpty() || !info.isFile())
        start(alertSource(), false);
    else
        start(QUrl::fromLocalFile(info.absoluteFilePath()), true);
}

void QtSoundPlayer::start(const QUrl& source, bool alertOnError)
{
    // A fresh effect for every sound: one effect played again and again falls
    // silent after a few plays, and setting the same source again does nothing.
    if (current_) {
        current_->disconnect(this);
        current_->stop();
        current_->deleteLater();
    }
    auto* effect = new QSoundEffect(this);
    current_ = effect;
    connect(effect, &QSoundEffect::statusChanged, this,
            [this, effect, alertOnError] { onStatusChanged(effect, alertOnError); });
    effect->setSource(source);
    effect->play();
}

void QtSoundPlayer::onStatusChanged(QSoundEffect* effect, bool alertOnError)
{
    if (effect != current_ || effect->status() != QSoundEffect::Error)
        return;
    if (alertOnError) {
        start(alertSource(), false);
    } else {
        // Even the alert cannot be played: stay silent.
        current_->disconnect(this);
        current_->deleteLater();
    }
}
