#include "platform/QtSoundPlayer.h"

#include <QSoundEffect>
#include <QUrl>

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent) {}

QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::play(const QString& file)
{
    if (current_) {
        current_->stop();
        current_->deleteLater();
    }
    current_ = new QSoundEffect(this);
    current_->setSource(QUrl::fromLocalFile(file));
    current_->play();
}
